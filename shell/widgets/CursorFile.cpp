#include "shell/widgets/CursorFile.h"

#include <QFile>
#include <QPixmap>

namespace plumark {

namespace {

constexpr int HeaderSize = 6 + 16; // the directory and its first entry
constexpr quint16 CursorType = 2;

quint16 word(const QByteArray& bytes, int at)
{
    return static_cast<quint16>(static_cast<quint8>(bytes[at]) |
                                (static_cast<quint8>(bytes[at + 1]) << 8));
}

} // namespace

std::optional<QCursor> cursorFromFile(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = in.readAll();
    QPixmap image;
    if (!image.loadFromData(bytes) || image.isNull())
        return std::nullopt;
    int hotX = image.width() / 2;
    int hotY = image.height() / 2;
    if (bytes.size() >= HeaderSize && word(bytes, 2) == CursorType) {
        hotX = qMin<int>(word(bytes, 10), image.width() - 1);
        hotY = qMin<int>(word(bytes, 12), image.height() - 1);
    }
    return QCursor(image, hotX, hotY);
}

} // namespace plumark
