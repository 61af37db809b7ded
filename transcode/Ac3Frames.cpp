#include "transcode/Ac3Frames.h"

#include "transcode/ContainedAc3.h"
#include "transcode/ContainerLayout.h"

extern "C" {
#include <libavutil/crc.h>
}

#include <array>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark::transcode {

namespace {

// The nominal rates of the AC3 frame-size codes, two codes per rate.
constexpr std::array<int, 19> RatesKbps = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};

constexpr std::array<int, 3> SampleRates = {48000, 44100, 32000};

// The header's first eight bytes hold every field read here.
constexpr int HeaderBytes = 8;

} // namespace

bool readAc3Shape(const uint8_t* bytes, qint64 size, Ac3Shape* shape, int* frameBytes)
{
    if (size < HeaderBytes || bytes[0] != 0x0B || bytes[1] != 0x77)
        return false;
    // Byte 4: sample-rate code (2 bits), frame-size code (6 bits); byte 5:
    // stream id (5 bits, up to 10 for AC3) and mode (3 bits).
    const int sampleRateCode = bytes[4] >> 6;
    const int frameSizeCode = bytes[4] & 0x3F;
    if (sampleRateCode == 3 || frameSizeCode / 2 >= int(RatesKbps.size()) || (bytes[5] >> 3) > 10)
        return false;
    shape->sampleRate = SampleRates[sampleRateCode];
    shape->bitRateKbps = RatesKbps[frameSizeCode / 2];
    shape->streamInfo = bytes[5];
    // Byte 6 on: the channel mode (3 bits), up to three 2-bit mix levels
    // that depend on it, then the LFE bit.
    const int mode = bytes[6] >> 5;
    const int bit =
        3 + ((mode & 1) && mode != 1 ? 2 : 0) + (mode & 4 ? 2 : 0) + (mode == 2 ? 2 : 0);
    const int pair = bytes[6] << 8 | bytes[7];
    shape->channelMode = mode;
    shape->lfe = (pair >> (15 - bit)) & 1;
    // 16-bit words per frame; at 44.1 kHz an odd code adds one.
    *frameBytes = 2 * (shape->bitRateKbps * 96000 / shape->sampleRate +
                       (shape->sampleRate == 44100 ? (frameSizeCode & 1) : 0));
    return true;
}

bool ac3ChecksumsRight(const uint8_t* frame, int frameBytes)
{
    const AVCRC* table = av_crc_get_table(AV_CRC_16_ANSI);
    // The checksums follow the data they cover: what they cover, read with
    // them, leaves no remainder.
    const int fiveEighths = ((frameBytes >> 2) + (frameBytes >> 4)) << 1;
    return av_crc(table, 0, frame + 2, size_t(fiveEighths - 2)) == 0 &&
           av_crc(table, 0, frame + 2, size_t(frameBytes - 2)) == 0;
}

qint64 walkAc3Frames(const uint8_t* bytes, qint64 size, Ac3Frames& frames)
{
    qint64 at = 0;
    while (at < size) {
        Ac3Shape shape;
        int frameBytes = 0;
        if (!readAc3Shape(bytes + at, size - at, &shape, &frameBytes) || at + frameBytes > size ||
            !ac3ChecksumsRight(bytes + at, frameBytes))
            break;
        if (frames.frames == 0)
            frames.shape = shape;
        // A frame of a changed rate or layout is no frame of this encoding.
        else if (!(shape == frames.shape))
            break;
        at += frameBytes;
        ++frames.frames;
    }
    return at;
}

namespace {

Ac3Frames readRawFrames(const QByteArray& path)
{
    Ac3Frames result;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return result;
    struct stat info = {};
    void* mapped = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        mapped = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        return result;
    const qint64 size = info.st_size;
    const qint64 end = walkAc3Frames(static_cast<const uint8_t*>(mapped), size, result);
    result.whole = result.frames > 0 && end == size;
    ::munmap(mapped, size_t(size));
    return result;
}

} // namespace

Ac3Frames readResultFrames(const QByteArray& path)
{
    if (containerOfResult(path) == Container::Ac3)
        return readRawFrames(path);
    Ac3Frames result;
    bool packetsWhole = true;
    const bool read = readContainedAc3(path, [&](const uint8_t* data, int size) {
        packetsWhole = size > 0 && walkAc3Frames(data, size, result) == size;
        return packetsWhole;
    });
    result.whole = read && packetsWhole && result.frames > 0 && containerSpansFile(path);
    return result;
}

} // namespace plumark::transcode
