#include "transcode/FormatChain.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <string>

namespace plumark::transcode {

namespace {

std::string layoutText(const AVChannelLayout& layout)
{
    char text[256] = {};
    av_channel_layout_describe(&layout, text, sizeof text);
    return text;
}

// The source's arguments, as the ffmpeg program gives them: a layout it
// knows by name or channel order, else only the channel count.
std::string sourceArguments(const AVFrame& shape)
{
    std::string arguments = "time_base=1/" + std::to_string(shape.sample_rate) +
                            ":sample_rate=" + std::to_string(shape.sample_rate) +
                            ":sample_fmt=" + av_get_sample_fmt_name(AVSampleFormat(shape.format));
    if (av_channel_layout_check(&shape.ch_layout) &&
        shape.ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        arguments += ":channel_layout=" + layoutText(shape.ch_layout);
    else
        arguments += ":channels=" + std::to_string(shape.ch_layout.nb_channels);
    return arguments;
}

// "aformat" limited to the encoder's own lists of sample formats, rates and
// channel layouts, in the encoder's order.
std::string formatArguments(const AVCodec& encoder)
{
    std::string arguments;
    const auto append = [&](const char* key, const std::string& values) {
        if (values.empty())
            return;
        if (!arguments.empty())
            arguments += ':';
        arguments += key;
        arguments += '=';
        arguments += values;
    };
    std::string list;
    for (const AVSampleFormat* format = encoder.sample_fmts; format && *format >= 0; ++format)
        list += (list.empty() ? "" : "|") + std::string(av_get_sample_fmt_name(*format));
    append("sample_fmts", list);
    list.clear();
    for (const int* rate = encoder.supported_samplerates; rate && *rate; ++rate)
        list += (list.empty() ? "" : "|") + std::to_string(*rate);
    append("sample_rates", list);
    list.clear();
    for (const AVChannelLayout* layout = encoder.ch_layouts; layout && layout->nb_channels;
         ++layout)
        list += (list.empty() ? "" : "|") + layoutText(*layout);
    append("channel_layouts", list);
    return arguments;
}

} // namespace

FormatChain::~FormatChain()
{
    av_channel_layout_uninit(&m_layout);
}

int FormatChain::configure(const AVFrame& shape, const AVCodec& encoder)
{
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph)
        return AVERROR(ENOMEM);
    // The batch converts several files at once in separate processes.
    m_graph->nb_threads = 1;

    AVFilterContext* passThrough = nullptr;
    AVFilterContext* format = nullptr;
    int error =
        avfilter_graph_create_filter(&m_source, avfilter_get_by_name("abuffer"), "in",
                                     sourceArguments(shape).c_str(), nullptr, m_graph.get());
    if (error >= 0)
        error = avfilter_graph_create_filter(&passThrough, avfilter_get_by_name("anull"), "anull",
                                             nullptr, nullptr, m_graph.get());
    if (error >= 0)
        error =
            avfilter_graph_create_filter(&format, avfilter_get_by_name("aformat"), "format",
                                         formatArguments(encoder).c_str(), nullptr, m_graph.get());
    if (error >= 0)
        error = avfilter_graph_create_filter(&m_sink, avfilter_get_by_name("abuffersink"), "out",
                                             nullptr, nullptr, m_graph.get());
    if (error >= 0)
        error = av_opt_set_int(m_sink, "all_channel_counts", 1, AV_OPT_SEARCH_CHILDREN);
    if (error >= 0)
        error = avfilter_link(m_source, 0, passThrough, 0);
    if (error >= 0)
        error = avfilter_link(passThrough, 0, format, 0);
    if (error >= 0)
        error = avfilter_link(format, 0, m_sink, 0);
    if (error >= 0)
        error = avfilter_graph_config(m_graph.get(), nullptr);
    if (error < 0)
        return error;

    m_format = shape.format;
    m_sampleRate = shape.sample_rate;
    av_channel_layout_uninit(&m_layout);
    return av_channel_layout_copy(&m_layout, &shape.ch_layout);
}

bool FormatChain::differsFrom(const AVFrame& frame) const
{
    return frame.format != m_format || frame.sample_rate != m_sampleRate ||
           av_channel_layout_compare(&frame.ch_layout, &m_layout) != 0;
}

void FormatChain::setFrameSize(int samples)
{
    av_buffersink_set_frame_size(m_sink, unsigned(samples));
}

int FormatChain::push(AVFrame* frame)
{
    return av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_PUSH);
}

int FormatChain::pull(AVFrame* frame, bool askForMore)
{
    return av_buffersink_get_frame_flags(m_sink, frame,
                                         askForMore ? 0 : AV_BUFFERSINK_FLAG_NO_REQUEST);
}

} // namespace plumark::transcode
