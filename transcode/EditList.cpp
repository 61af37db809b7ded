#include "transcode/EditList.h"

#include <QtEndian>
#include <fcntl.h>
#include <unistd.h>

namespace plumark::transcode {

namespace {

// An edit list may reach past its track by rounding between the movie's and
// the track's clocks, far less than this.
constexpr double SlackSeconds = 1.0;
// No edit list of a real file comes near this size.
constexpr qint64 MaxListBytes = 16 << 20;

struct Box
{
    QByteArray type;
    qint64 payload = 0; // where its contents start
    qint64 end = 0;
};

class BoxReader
{
public:
    explicit BoxReader(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_fd >= 0)
            m_size = ::lseek(m_fd, 0, SEEK_END);
    }
    ~BoxReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    BoxReader(const BoxReader&) = delete;
    BoxReader& operator=(const BoxReader&) = delete;

    qint64 size() const { return m_size; }

    QByteArray read(qint64 at, qint64 count) const
    {
        QByteArray bytes(count, '\0');
        const ssize_t got = m_fd >= 0 ? ::pread(m_fd, bytes.data(), size_t(count), at) : -1;
        bytes.resize(got > 0 ? got : 0);
        return bytes;
    }

    // The boxes between begin and end, in order, each handed to visit until
    // it returns false.
    template <typename Visit> void forEach(qint64 begin, qint64 end, Visit visit) const
    {
        qint64 at = begin;
        while (at + 8 <= end) {
            const QByteArray header = read(at, 16);
            if (header.size() < 8)
                return;
            qint64 size = qFromBigEndian<quint32>(header.constData());
            int headerBytes = 8;
            if (size == 1 && header.size() == 16) {
                size = qint64(qFromBigEndian<quint64>(header.constData() + 8));
                headerBytes = 16;
            } else if (size == 0) {
                size = end - at;
            }
            if (size < headerBytes || size > end - at)
                return;
            if (!visit(Box{header.mid(4, 4), at + headerBytes, at + size}))
                return;
            at += size;
        }
    }

    // The first box of the type among those between begin and end.
    Box find(qint64 begin, qint64 end, const QByteArray& type) const
    {
        Box found;
        forEach(begin, end, [&](const Box& box) {
            if (box.type != type)
                return true;
            found = box;
            return false;
        });
        return found;
    }

    // A small box's contents.
    QByteArray contents(const Box& box) const
    {
        return box.end > box.payload && box.end - box.payload <= MaxListBytes
                   ? read(box.payload, box.end - box.payload)
                   : QByteArray();
    }

private:
    int m_fd = -1;
    qint64 m_size = -1;
};

quint64 number(const QByteArray& bytes, qsizetype at, int width)
{
    if (at + width > bytes.size())
        return 0;
    return width == 8 ? qFromBigEndian<quint64>(bytes.constData() + at)
                      : qFromBigEndian<quint32>(bytes.constData() + at);
}

// A clock's rate and a length on it, from a movie or media header: after
// the version and flags, two times, then these (each time 8 bytes long in
// version 1, else 4).
std::pair<quint32, quint64> clockAndLength(const QByteArray& header)
{
    const int width = !header.isEmpty() && header[0] == 1 ? 8 : 4;
    return {quint32(number(header, 4 + 2 * width, 4)), number(header, 8 + 2 * width, width)};
}

int trackIdOf(const QByteArray& trackHeader)
{
    const int width = !trackHeader.isEmpty() && trackHeader[0] == 1 ? 8 : 4;
    return int(number(trackHeader, 4 + 2 * width, 4));
}

// What the edit list plays, on the movie's clock.
quint64 editedLength(const QByteArray& list)
{
    const int width = !list.isEmpty() && list[0] == 1 ? 8 : 4;
    const quint64 entries = number(list, 4, 4);
    quint64 total = 0;
    for (quint64 i = 0; i < entries; ++i) {
        const qsizetype at = 8 + qsizetype(i) * (2 * width + 4);
        if (at + 2 * width + 4 > list.size())
            break;
        total += number(list, at, width);
    }
    return total;
}

} // namespace

QString editListRefusal(const QByteArray& path, int trackId)
{
    const BoxReader file(path);
    const Box movie = file.find(0, file.size(), "moov");
    if (movie.end == 0)
        return {};
    const quint32 movieClock =
        clockAndLength(file.contents(file.find(movie.payload, movie.end, "mvhd"))).first;
    if (movieClock == 0)
        return {};
    QString refusal;
    file.forEach(movie.payload, movie.end, [&](const Box& track) {
        if (track.type != "trak" ||
            trackIdOf(file.contents(file.find(track.payload, track.end, "tkhd"))) != trackId)
            return true;
        const Box media = file.find(track.payload, track.end, "mdia");
        const auto [mediaClock, mediaLength] =
            clockAndLength(file.contents(file.find(media.payload, media.end, "mdhd")));
        const Box edits = file.find(track.payload, track.end, "edts");
        const QByteArray list = file.contents(file.find(edits.payload, edits.end, "elst"));
        // A fragmented file's track holds its media in its fragments.
        if (mediaClock == 0 || mediaLength == 0 || list.isEmpty())
            return false;
        const double own = double(mediaLength) / mediaClock;
        const double played = double(editedLength(list)) / movieClock;
        if (played > own + SlackSeconds)
            refusal = QStringLiteral("The input's edit list plays %1 s of audio from the %2 s its "
                                     "track holds: it repeats its audio.")
                          .arg(played, 0, 'f', 1)
                          .arg(own, 0, 'f', 1);
        return false;
    });
    return refusal;
}

} // namespace plumark::transcode
