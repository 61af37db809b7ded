#pragma once

struct AVFormatContext;

namespace plumark::transcode {

// The audio stream the ffmpeg program converts when it is given no stream
// map: the one with the highest score of channels, packets seen while probing
// and the default mark; the first of equal ones. -1 when there is none.
// (av_find_best_stream weighs differently: on a file with a stereo and a 5.1
// track the two may differ.)
int chooseAudioStream(const AVFormatContext& input);

} // namespace plumark::transcode
