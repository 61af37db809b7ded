#include "transcode/ContainerLayout.h"

#include "transcode/Container.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace plumark::transcode {

namespace {

constexpr quint32 EbmlHeaderId = 0x1A45DFA3;
constexpr quint32 SegmentId = 0x18538067;

// Reads big-endian bytes.
quint64 bigEndian(const QByteArray& bytes, qint64 at, int count)
{
    quint64 value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

// A Matroska variable-length size at *at, moved past it; -1 when unreadable
// or "unknown" (all its bits set).
qint64 ebmlSize(const QByteArray& bytes, qint64* at)
{
    if (*at >= bytes.size())
        return -1;
    const quint8 first = quint8(bytes[*at]);
    int length = 1;
    while (length <= 8 && !(first & (0x80 >> (length - 1))))
        ++length;
    if (length > 8 || *at + length > bytes.size())
        return -1;
    const quint64 value = bigEndian(bytes, *at, length) & ((quint64(1) << (7 * length)) - 1);
    *at += length;
    return value == (quint64(1) << (7 * length)) - 1 ? -1 : qint64(value);
}

bool matroskaSpansFile(QFile& file)
{
    const QByteArray head = file.peek(64);
    qint64 at = 0;
    if (head.size() < 4 || bigEndian(head, 0, 4) != EbmlHeaderId)
        return false;
    at = 4;
    const qint64 headerSize = ebmlSize(head, &at);
    if (headerSize < 0)
        return false;
    at += headerSize;
    if (at + 4 > head.size() || bigEndian(head, at, 4) != SegmentId)
        return false;
    at += 4;
    const qint64 segmentSize = ebmlSize(head, &at);
    return segmentSize >= 0 && at + segmentSize == file.size();
}

bool mp4SpansFile(QFile& file)
{
    const qint64 size = file.size();
    qint64 at = 0;
    bool index = false;
    while (at < size) {
        if (!file.seek(at))
            return false;
        const QByteArray header = file.read(16);
        if (header.size() < 8)
            return false;
        qint64 boxSize = qint64(bigEndian(header, 0, 4));
        if (boxSize == 1 && header.size() == 16)
            boxSize = qint64(bigEndian(header, 8, 8));
        if (boxSize < 8)
            return false;
        index = index || header.mid(4, 4) == "moov";
        at += boxSize;
    }
    return index && at == size;
}

} // namespace

bool containerSpansFile(const QByteArray& path)
{
    // Opened by its bytes: the name need not be valid text.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    switch (containerOfResult(path)) {
    case Container::Matroska:
        return matroskaSpansFile(file);
    case Container::Mp4:
        return mp4SpansFile(file);
    case Container::Ac3:
        break;
    }
    return false;
}

} // namespace plumark::transcode
