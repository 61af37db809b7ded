#pragma once

extern "C" {
#include <libavformat/avio.h>
}

#include <memory>

namespace plumark::transcode {

struct SeekableOutputFreer
{
    void operator()(AVIOContext* context) const;
};
using SeekableOutput = std::unique_ptr<AVIOContext, SeekableOutputFreer>;

// A library output that writes to the open file *fd and may seek in it, as
// the MP4 and Matroska muxers do to complete their indexes; the file's name
// is never opened. fd must outlive it. Null when memory is short.
SeekableOutput openSeekableOutput(int* fd);

} // namespace plumark::transcode
