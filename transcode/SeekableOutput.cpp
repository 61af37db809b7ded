#include "transcode/SeekableOutput.h"

#include "transcode/FfmpegRelease.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark::transcode {

namespace {

constexpr int BufferSize = 64 * 1024;

int writeData(void* opaque, AvioWriteData data, int size)
{
    const int fd = *static_cast<int*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd, data + done, size_t(size - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return AVERROR(errno);
        if (written == 0)
            return AVERROR(EIO);
        done += int(written);
    }
    return done;
}

int64_t seekTo(void* opaque, int64_t offset, int whence)
{
    const int fd = *static_cast<int*>(opaque);
    if (whence == AVSEEK_SIZE) {
        struct stat info = {};
        return ::fstat(fd, &info) == 0 ? int64_t(info.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

} // namespace

void SeekableOutputFreer::operator()(AVIOContext* context) const
{
    if (context)
        av_freep(&context->buffer);
    avio_context_free(&context);
}

SeekableOutput openSeekableOutput(int* fd)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(BufferSize));
    if (!buffer)
        return nullptr;
    SeekableOutput output(
        avio_alloc_context(buffer, BufferSize, 1, fd, nullptr, writeData, seekTo));
    if (!output)
        av_free(buffer);
    return output;
}

} // namespace plumark::transcode
