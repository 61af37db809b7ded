#pragma once

#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace plumark::transcode {

// The parts of libavfilter the converter uses. The library is loaded on first
// use, not at start: most inputs already have a shape the encoder takes and
// never need it, and with the libraries it brings along it costs about a
// third of the batch's start-up time.
struct FilterLibrary
{
    decltype(&::avfilter_graph_alloc) graphAlloc;
    decltype(&::avfilter_graph_free) graphFree;
    decltype(&::avfilter_get_by_name) getByName;
    decltype(&::avfilter_graph_create_filter) createFilter;
    decltype(&::avfilter_link) link;
    decltype(&::avfilter_graph_config) graphConfig;
    decltype(&::av_buffersrc_add_frame_flags) addFrame;
    decltype(&::av_buffersink_get_frame_flags) getFrame;
    decltype(&::av_buffersink_set_frame_size) setFrameSize;
    decltype(&::av_buffersink_get_format) sinkFormat;
    decltype(&::av_buffersink_get_sample_rate) sinkSampleRate;
    decltype(&::av_buffersink_get_ch_layout) sinkLayout;
};

// The loaded library, or nullptr when it cannot be loaded; the loader's
// reason is then written to the error output once.
const FilterLibrary* filterLibrary();

} // namespace plumark::transcode
