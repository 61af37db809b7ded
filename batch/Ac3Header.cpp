#include "batch/Ac3Header.h"

#include "engine/Paths.h"

#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

// The nominal rates of the AC3 frame-size codes, two codes per rate.
constexpr std::array<int, 19> RatesKbps = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};

} // namespace

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
