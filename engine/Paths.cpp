#include "engine/Paths.h"

#include "base/Failure.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

namespace {

constexpr char16_t RawByteBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[at], or 0 when there is none
// (a stray or missing continuation byte, an overlong form, a surrogate or a
// code point beyond U+10FFFF).
qsizetype utf8SequenceAt(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    qsizetype length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool isRawByte(const QString& text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    // The low half of a surrogate pair is a character's, not a byte's.
    return c >= RawByteBase + 0x80 && c <= RawByteBase + 0xFF &&
           (at == 0 || !text[at - 1].isHighSurrogate());
}

QByteArray nativePath(const QString& path)
{
    QByteArray bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isRawByte(path, i))
            continue;
        bytes += QStringView(path).mid(from, i - from).toUtf8();
        bytes += char(path[i].unicode() - RawByteBase);
        from = i + 1;
    }
    if (from == 0)
        return QFile::encodeName(path);
    return bytes + QStringView(path).mid(from).toUtf8();
}

QString pathFromNative(const QByteArray& bytes)
{
    if (QUtf8StringView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            text += QLatin1Char(bytes[i++]);
        } else if (const qsizetype length = utf8SequenceAt(bytes, i)) {
            text += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        } else {
            text += QChar(char16_t(RawByteBase + static_cast<unsigned char>(bytes[i++])));
        }
    }
    return text;
}

namespace {

// "\xHH" for each byte of the character's UTF-8 form.
QString escapedBytes(QChar c)
{
    QString text;
    for (const char byte : QString(c).toUtf8())
        text += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(byte), 16)
                                            .rightJustified(2, QLatin1Char('0'))
                                            .toUpper();
    return text;
}

// A character that is no letter of a name but steers the terminal or the
// text's layout: control characters, the bidirectional controls (U+202E
// would show a name's end reversed), and the line and paragraph separators.
// Line feeds, carriage returns and tabs are left to the caller.
bool steersDisplay(char16_t code)
{
    return (code < 0x20 && code != u'\n' && code != u'\r' && code != u'\t') ||
           (code >= 0x7F && code < 0xA0) || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x2028 && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

} // namespace

QString printablePath(const QString& path)
{
    QString text;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isRawByte(path, i))
            text += QStringLiteral("\\x") +
                    QString::number(path[i].unicode() - RawByteBase, 16).toUpper();
        else if (steersDisplay(path[i].unicode()))
            text += escapedBytes(path[i]);
        else
            text += path[i];
    }
    return text;
}

QString printableName(const QString& path)
{
    QString text;
    for (const QChar c : printablePath(path)) {
        const char16_t code = c.unicode();
        if (code == u'\n' || code == u'\r' || code == u'\t')
            text += escapedBytes(c);
        else
            text += c;
    }
    return text;
}

bool FileExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0;
}

bool FolderExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString FileNameOf(const QString& path, PathStyle style)
{
    return path.mid(path.lastIndexOf(separator(style)) + 1);
}

QString ParentFolder(const QString& path, PathStyle style)
{
    return path.left(path.lastIndexOf(separator(style)) + 1);
}

QString StripExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? name.left(dot) : name;
}

namespace {

// Replaces each pair of adjacent separators by one, resuming after the pair.
QString collapsePairs(QStringView text, QChar sep)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == sep && i + 1 < text.size() && text[i + 1] == sep)
            ++i;
    }
    return out;
}

} // namespace

QString CollapseBackslashes(const QString& path, PathStyle style)
{
    const QChar sep = separator(style);
    if (style == PathStyle::Windows && path.startsWith(sep)) {
        qsizetype n = 0;
        while (n < path.size() && path[n] == sep)
            ++n;
        return QString(2, sep) + collapsePairs(QStringView(path).mid(n), sep);
    }
    return collapsePairs(path, sep);
}

void ForceDeleteFile(const QString& path)
{
    const QByteArray p = nativePath(path);
    if (::unlink(p.constData()) == 0)
        return;
    const int first = errno;
    if (first == EACCES || first == EPERM) {
        struct stat st;
        if (::lstat(p.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
            ::chmod(p.constData(), st.st_mode | S_IWUSR);
        if (::unlink(p.constData()) == 0)
            return;
    }
    throw Failure(QCoreApplication::translate("Failure", "Could not delete \"%1\": %2")
                      .arg(path, QString::fromLocal8Bit(std::strerror(first))));
}

void DeleteFileQuietly(const QString& path, const std::function<void()>& yield)
{
    if (yield)
        yield();
    if (path.isEmpty())
        return;
    if (::unlink(nativePath(path).constData()) == 0)
        return;
    try {
        ForceDeleteFile(path);
    } catch (const Failure&) {
        // Quiet by design: a file that cannot be removed is left as it is.
    }
}

} // namespace plumark
