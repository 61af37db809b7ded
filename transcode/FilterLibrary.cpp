#include "transcode/FilterLibrary.h"

#include "transcode/FfmpegRelease.h"

#include <cstdio>
#include <dlfcn.h>

namespace plumark::transcode {

namespace {

template <typename Function> bool resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(handle, name));
    return function != nullptr;
}

bool load(FilterLibrary& library)
{
    // Kept loaded for the life of the process.
    void* handle = ::dlopen(FilterLibraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    return resolve(handle, "avfilter_graph_alloc", library.graphAlloc) &&
           resolve(handle, "avfilter_graph_free", library.graphFree) &&
           resolve(handle, "avfilter_get_by_name", library.getByName) &&
           resolve(handle, "avfilter_graph_create_filter", library.createFilter) &&
           resolve(handle, "avfilter_link", library.link) &&
           resolve(handle, "avfilter_graph_config", library.graphConfig) &&
           resolve(handle, "av_buffersrc_add_frame_flags", library.addFrame) &&
           resolve(handle, "av_buffersink_get_frame_flags", library.getFrame) &&
           resolve(handle, "av_buffersink_set_frame_size", library.setFrameSize) &&
           resolve(handle, "av_buffersink_get_format", library.sinkFormat) &&
           resolve(handle, "av_buffersink_get_sample_rate", library.sinkSampleRate) &&
           resolve(handle, "av_buffersink_get_ch_layout", library.sinkLayout);
}

} // namespace

const FilterLibrary* filterLibrary()
{
    static FilterLibrary library;
    static const bool loaded = [] {
        if (load(library))
            return true;
        const char* reason = ::dlerror();
        std::fprintf(stderr, "plumark: %s\n", reason ? reason : FilterLibraryName.c_str());
        return false;
    }();
    return loaded ? &library : nullptr;
}

} // namespace plumark::transcode
