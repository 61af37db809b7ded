#include "batch/Ac3Header.h"

#include "engine/Paths.h"
#include "transcode/Ac3Frames.h"
#include "transcode/ContainedAc3.h"

#include <fcntl.h>
#include <unistd.h>

namespace plumark {

int resultRateKbps(const QString& path)
{
    const QByteArray native = nativePath(path);
    if (transcode::containerOfResult(native) == transcode::Container::Ac3)
        return readAc3Header(path).bitRateKbps;
    transcode::Ac3Frames first;
    transcode::readContainedAc3(native, [&](const uint8_t* data, int size) {
        transcode::walkAc3Frames(data, size, first);
        return false;
    });
    return first.shape.bitRateKbps;
}

Ac3Header readAc3Header(const QString& path)
{
    Ac3Header header;
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return header;
    uint8_t bytes[8] = {};
    const ssize_t count = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    transcode::Ac3Shape shape;
    int frameBytes = 0;
    if (count < ssize_t(sizeof bytes) ||
        !transcode::readAc3Shape(bytes, count, &shape, &frameBytes))
        return header;
    header.valid = true;
    header.bitRateKbps = shape.bitRateKbps;
    return header;
}

bool isReadableAc3(const QString& path)
{
    return readAc3Header(path).valid;
}

} // namespace plumark
