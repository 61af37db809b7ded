#include "transcode/StreamChoice.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace plumark::transcode {

namespace {

// The weights the ffmpeg program gives: packets seen outweigh the default
// mark, which outweighs any number of channels.
constexpr int SeenWeight = 100000000;
constexpr int DefaultWeight = 5000000;

} // namespace

int chooseAudioStream(const AVFormatContext& input)
{
    int best = -1;
    int bestScore = 0;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream& stream = *input.streams[i];
        if (stream.codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        const int score = stream.codecpar->ch_layout.nb_channels +
                          SeenWeight * !!(stream.event_flags & AVSTREAM_EVENT_FLAG_NEW_PACKETS) +
                          DefaultWeight * !!(stream.disposition & AV_DISPOSITION_DEFAULT);
        if (score > bestScore) {
            bestScore = score;
            best = int(i);
        }
    }
    return best;
}

} // namespace plumark::transcode
