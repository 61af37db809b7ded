#include "batch/BoxRate.h"

#include "base/InputGate.h"
#include "engine/BitRate.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace plumark {

namespace {

// The probe's rule (exiftool 12): an atom above 2 GiB ends its reading.
constexpr quint64 LargestAtom = 0x7fffffff;
// The probe skips a box above 32 MiB unread; this reader leaves such a file to it.
constexpr qint64 LargestReadBox = 0x2000000;

// The extensions the probe reads as QuickTime files first.
bool hasMp4Extension(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    if (dot <= slash)
        return false;
    static const std::array<QByteArray, 13> known = {"m4a", "m4b", "m4p", "m4v", "mp4", "mov", "qt",
                                                     "3gp", "3g2", "f4a", "f4b", "f4p", "f4v"};
    const QByteArray extension = path.mid(dot + 1).toLower();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

quint32 be32(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

// The input, opened through the input gate.
class File
{
public:
    explicit File(const QByteArray& path) : m_input(path) {}

    const AdmittedInput& input() const { return m_input; }
    qint64 size() const { return m_input.status().st_size; }
    // Up to length bytes at offset; fewer at the end of the file.
    QByteArray read(qint64 offset, qint64 length) const
    {
        QByteArray bytes(length, Qt::Uninitialized);
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(m_input.fd(), bytes.data() + done, size_t(length - done),
                                      off_t(offset + done));
            if (n <= 0)
                break;
            done += n;
        }
        bytes.truncate(done);
        return bytes;
    }

private:
    const AdmittedInput m_input;
};

// True when text could hold a tag named like a rate, in one-byte or two-byte
// characters, in any letter case.
bool mentionsBitrate(const QByteArray& bytes)
{
    static constexpr char word[] = "bitrate";
    constexpr qsizetype letters = sizeof word - 1;
    for (const qsizetype step : {1, 2}) {
        for (qsizetype at = 0; at + (letters - 1) * step < bytes.size(); ++at) {
            qsizetype k = 0;
            while (k < letters && (bytes[at + k * step] | 0x20) == word[k])
                ++k;
            if (k == letters)
                return true;
        }
    }
    return false;
}

// The boxes inside a box's payload; false when they do not fill it whole.
template <typename Visit> bool forEachBox(const QByteArray& payload, qsizetype begin, Visit visit)
{
    qsizetype at = begin;
    while (at < payload.size()) {
        if (payload.size() - at < 8)
            return false;
        const quint32 size = be32(payload.constData() + at);
        if (size < 8 || size > quint64(payload.size() - at))
            return false;
        if (!visit(payload.mid(at + 4, 4), payload.mid(at + 8, size - 8)))
            return false;
        at += size;
    }
    return true;
}

struct Movie
{
    int headers = 0;
    quint64 timeScale = 0;
    quint64 duration = 0;
};

bool readMovieHeader(const QByteArray& payload, Movie& movie)
{
    ++movie.headers;
    // The probe takes any version but 0 as the one with 64-bit times.
    const bool wide = !payload.isEmpty() && payload[0] != 0;
    if (payload.size() < (wide ? 32 : 20))
        return false;
    const char* bytes = payload.constData();
    if (wide) {
        movie.timeScale = be32(bytes + 20);
        movie.duration = quint64(be32(bytes + 24)) << 32 | be32(bytes + 28);
    } else {
        movie.timeScale = be32(bytes + 12);
        movie.duration = be32(bytes + 16);
    }
    return true;
}

// Boxes whose contents the probe reads only as numbers: none can name a rate.
bool isPlainBox(const QByteArray& type)
{
    static const std::array<QByteArray, 19> plain = {
        "tkhd", "edts", "tref", "mdhd", "hdlr", "elng", "vmhd", "smhd", "nmhd", "gmhd",
        "dinf", "stbl", "iods", "mvex", "load", "name", "chpl", "free", "skip"};
    return std::find(plain.begin(), plain.end(), type) != plain.end();
}

// Walks the movie box. False when a box there is one the probe could read a
// rate from (the hint media header's average rate, another format's
// metadata), or one this reader does not know.
bool readMovie(const QByteArray& type, const QByteArray& payload, Movie& movie)
{
    if (type == "mvhd")
        return readMovieHeader(payload, movie);
    if (type == "trak" || type == "mdia" || type == "minf" || type == "udta" || type == "ilst")
        return forEachBox(payload, 0, [&](const QByteArray& t, const QByteArray& p) {
            // Every item of the tag list is text or numbers; its name was looked at.
            if (type == "ilst")
                return true;
            // Text boxes of the user data ("\xa9nam" and the like).
            if (type == "udta" && t.startsWith('\xa9'))
                return true;
            return readMovie(t, p, movie);
        });
    if (type == "meta") {
        // The tag list, with or without the version and flags before it.
        const qsizetype begin = payload.mid(4, 4) == "hdlr" ? 0 : 4;
        return forEachBox(payload, begin, [&](const QByteArray& t, const QByteArray& p) {
            return t == "hdlr" || t == "ilst" ? readMovie(t, p, movie)
                                              : (t == "free" || t == "skip");
        });
    }
    return isPlainBox(type);
}

QString convertedRate(double bitsPerSecond)
{
    // The probe's print form: bps, kbps, Mbps or Gbps, three digits below 100.
    static const char* const units[] = {"bps", "kbps", "Mbps", "Gbps"};
    int unit = 0;
    while (bitsPerSecond >= 1000 && unit < 3) {
        bitsPerSecond /= 1000;
        ++unit;
    }
    char text[64];
    std::snprintf(text, sizeof text, bitsPerSecond < 100 ? "%.3g %s" : "%.0f %s", bitsPerSecond,
                  units[unit]);
    return QString::fromLatin1(text);
}

} // namespace

BoxRate BoxRate::read(const QByteArray& path)
{
    BoxRate result;
    const File file(path);
    if (!file.input().admitted()) {
        result.outcome = Outcome::Refused;
        result.refusal = file.input().reason();
        return result;
    }
    if (!hasMp4Extension(path))
        return result;
    const qint64 fileSize = file.size();

    // The top level, read as the probe reads it: it ends at the first atom
    // that is cut short or too large, and counts every media data atom's size.
    Movie movie;
    int movies = 0;
    quint64 mediaSize = 0;
    bool sawMedia = false;
    qint64 at = 0;
    for (bool first = true;; first = false) {
        const QByteArray header = file.read(at, 8);
        if (header.size() < 8)
            break;
        const QByteArray type = header.mid(4, 4);
        if (first && type != "ftyp")
            return result;
        quint64 size = be32(header.constData());
        qint64 payloadAt = at + 8;
        if (size == 0) {
            // The atom runs to the end of the file.
            if (type == "mdat") {
                mediaSize += quint64(fileSize - payloadAt);
                sawMedia = true;
            }
            break;
        }
        if (size < 8) {
            if (size != 1)
                break;
            const QByteArray wide = file.read(payloadAt, 8);
            if (wide.size() < 8)
                break;
            const quint64 high = be32(wide.constData());
            const quint64 low = be32(wide.constData() + 4);
            if (high != 0 || low > LargestAtom || low < 16)
                break;
            size = low - 16;
            payloadAt += 8;
        } else {
            size -= 8;
        }
        if (type == "mdat") {
            mediaSize += size;
            sawMedia = true;
        }
        if (payloadAt + qint64(size) > fileSize)
            break;
        if (type == "moov") {
            if (++movies > 1 || qint64(size) > LargestReadBox)
                return result;
            const QByteArray payload = file.read(payloadAt, qint64(size));
            if (mentionsBitrate(payload) ||
                !forEachBox(payload, 0, [&](const QByteArray& t, const QByteArray& p) {
                    return readMovie(t, p, movie);
                }))
                return result;
        } else if (type == "free" || type == "skip" || type == "wide") {
            // Padding; anything written in it could be another format's metadata.
            if (qint64(size) > LargestReadBox ||
                file.read(payloadAt, qint64(size)).count('\0') != qsizetype(size))
                return result;
        } else if (type == "ftyp" || type == "moof" || type == "mfra" || type == "sidx" ||
                   type == "styp") {
            if (qint64(size) > LargestReadBox ||
                mentionsBitrate(file.read(payloadAt, qint64(size))))
                return result;
        } else if (type != "mdat") {
            return result;
        }
        at = payloadAt + qint64(size);
    }
    if (movie.headers != 1)
        return result;

    result.outcome = Outcome::None;
    if (!sawMedia || movie.duration == 0)
        return result;
    double seconds = double(movie.duration);
    if (movie.timeScale != 0)
        seconds /= double(movie.timeScale);
    const double bitsPerSecond = std::trunc(double(mediaSize * 8) / seconds + 0.5);
    result.rate =
        rateFromProbeReport(QStringLiteral("Avg Bitrate : ") + convertedRate(bitsPerSecond));
    if (!result.rate.isEmpty())
        result.outcome = Outcome::Found;
    return result;
}

} // namespace plumark
