#pragma once

#include "transcode/Container.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace plumark::transcode {

// What a Matroska or MP4 result carries beside its AC3 stream, which is the
// output's first stream: the input's tags, the audio stream's own tags and
// the input's cover (the first attached picture in JPEG, PNG or BMP).
// Matroska takes the cover as an attachment ("cover.jpg" with its MIME
// type), MP4 as an attached picture, which its muxer writes as "covr".
class ResultContainer
{
public:
    // Adds the tags and the cover's stream to output before its header is
    // written. Returns a negative error code on failure.
    int prepare(AVFormatContext& output, const AVFormatContext& input, const AVStream& audio,
                Container container);
    // Writes the cover's picture once the header is written, where the
    // container takes it as a packet.
    int writeCover(AVFormatContext& output);

private:
    const AVStream* m_cover = nullptr;
    int m_coverIndex = -1;
};

} // namespace plumark::transcode
