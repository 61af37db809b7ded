#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace plumark::fuzz {

// Splits the fuzzer's bytes at each 0xFF byte (never part of UTF-8 text) into
// exactly count pieces, each decoded as UTF-8; missing pieces are empty and
// the last piece keeps any further 0xFF bytes.
inline QStringList textPieces(const uint8_t* data, size_t size, int count)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList pieces;
    qsizetype from = 0;
    while (pieces.size() < count - 1) {
        const qsizetype at = bytes.indexOf('\xff', from);
        if (at < 0)
            break;
        pieces.append(QString::fromUtf8(bytes.mid(from, at - from)));
        from = at + 1;
    }
    pieces.append(QString::fromUtf8(bytes.mid(from)));
    while (pieces.size() < count)
        pieces.append(QString());
    return pieces;
}

// The bytes read as UTF-16 code units, lone surrogates included.
inline QString rawUtf16(const uint8_t* data, size_t size)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
}

// Ends the run when a property fails; libFuzzer keeps the input that did it.
inline void require(bool holds, const char* property, const QString& detail = {})
{
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n%s\n", property, qPrintable(detail));
    std::abort();
}

} // namespace plumark::fuzz
