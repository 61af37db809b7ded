#include "batch/Ac3Header.h"

#include "engine/Paths.h"

#include <array>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {

namespace {

// The nominal rates of the AC3 frame-size codes, two codes per rate.
constexpr std::array<int, 19> RatesKbps = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};

constexpr std::array<int, 3> SampleRates = {48000, 44100, 32000};

} // namespace

Ac3Frames readAc3Frames(const QString& path)
{
    Ac3Frames result;
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return result;
    struct stat info = {};
    void* mapped = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        mapped = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        return result;
    const auto* bytes = static_cast<const unsigned char*>(mapped);
    const qint64 size = info.st_size;
    qint64 at = 0;
    while (at + 6 <= size) {
        const unsigned char* frame = bytes + at;
        // Byte 4: sample-rate code (2 bits), frame-size code (6 bits); byte 5:
        // stream id (5 bits), up to 10 for AC3.
        const int sampleRateCode = frame[4] >> 6;
        const int frameSizeCode = frame[4] & 0x3F;
        if (frame[0] != 0x0B || frame[1] != 0x77 || sampleRateCode == 3 ||
            frameSizeCode / 2 >= int(RatesKbps.size()) || (frame[5] >> 3) > 10)
            break;
        const int sampleRate = SampleRates[sampleRateCode];
        if (result.sampleRate != 0 && sampleRate != result.sampleRate)
            break;
        result.sampleRate = sampleRate;
        // 16-bit words per frame; at 44.1 kHz an odd code adds one.
        const int words = RatesKbps[frameSizeCode / 2] * 96000 / sampleRate +
                          (sampleRate == 44100 ? (frameSizeCode & 1) : 0);
        at += 2 * words;
        if (at > size)
            break;
        ++result.frames;
    }
    result.whole = result.frames > 0 && at == size;
    ::munmap(mapped, size_t(size));
    return result;
}

Ac3Header readAc3Header(const QString& path)
{
    Ac3Header header;
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return header;
    QByteArray bytes(6, 0);
    const ssize_t count = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (count < bytes.size())
        return header;
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    if (byte(0) != 0x0B || byte(1) != 0x77)
        return header;
    // Byte 4: sample-rate code (2 bits), frame-size code (6 bits).
    // Byte 5: stream id (5 bits); up to 10 is AC3, above is E-AC3.
    const int sampleRateCode = byte(4) >> 6;
    const int frameSizeCode = byte(4) & 0x3F;
    const int streamId = byte(5) >> 3;
    if (sampleRateCode == 3 || frameSizeCode / 2 >= int(RatesKbps.size()) || streamId > 10)
        return header;
    header.valid = true;
    header.bitRateKbps = RatesKbps[frameSizeCode / 2];
    return header;
}

bool isReadableAc3(const QString& path)
{
    return readAc3Header(path).valid;
}

} // namespace plumark
