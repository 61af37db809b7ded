#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/version.h>
#include <libavformat/version.h>
}

#include <string>
#include <vector>

// What differs between the FFmpeg releases the converter is built with. Every
// check of the libraries' versions is made here and nowhere else.
namespace plumark::transcode {

// What an encoder takes, each list in the encoder's own order; an empty list
// allows any.
struct EncoderTargets
{
    std::vector<AVSampleFormat> formats;
    std::vector<int> rates;
    std::vector<const AVChannelLayout*> layouts;
};

// The encoder's own lists: asked of the library where it has a call for them
// (FFmpeg 7.1 and later, where the codec's fields are deprecated or gone),
// read from the codec's fields before.
EncoderTargets encoderTargets(const AVCodec& encoder);

// Where the ffmpeg program of this release cuts audio into the encoder's
// frames. Up to FFmpeg 5.1 its filter graph's sink does, so that what the
// sink holds short of a whole frame goes with the graph when audio changing
// shape midway makes a new one. From FFmpeg 6.0 on, a queue after the graph
// does, which outlives the graph: no sample is dropped at the change.
constexpr bool FramesCutAfterGraph = LIBAVCODEC_VERSION_MAJOR >= 60;

// Up to libavfilter 10 (FFmpeg 7.1) the audio sink takes every channel count
// only when told so, as the ffmpeg program tells it; later releases dropped
// that option. The format filter before the sink sets the layout either way.
constexpr bool SinkNeedsAllChannelCounts = LIBAVFILTER_VERSION_MAJOR < 11;

// The file name of the filter library of the release built against, loaded
// when first needed: its major version is that of the headers.
inline const std::string FilterLibraryName =
    "libavfilter.so." + std::to_string(LIBAVFILTER_VERSION_MAJOR);

// The data a custom output's write callback is handed: constant from
// libavformat 61 (FFmpeg 7.0) on.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using AvioWriteData = const uint8_t*;
#else
using AvioWriteData = uint8_t*;
#endif

} // namespace plumark::transcode
