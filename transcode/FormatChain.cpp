#include "transcode/FormatChain.h"

#include "transcode/FfmpegRelease.h"
#include "transcode/FilterLibrary.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <string>
#include <vector>

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

// The encoder's own lists; once it is open, only what it was opened with, so
// that audio changing shape midway is brought back to it, as the ffmpeg
// program does.
EncoderTargets targetsFor(const AVCodec& encoder, const AVCodecContext* opened)
{
    if (opened)
        return {{opened->sample_fmt}, {opened->sample_rate}, {&opened->ch_layout}};
    return encoderTargets(encoder);
}

// "aformat" limited to the targets.
std::string formatArguments(const EncoderTargets& targets)
{
    std::string arguments;
    const auto append = [&](const char* key, const auto& values, const auto& text) {
        if (values.empty())
            return;
        if (!arguments.empty())
            arguments += ':';
        arguments += key;
        arguments += '=';
        for (size_t i = 0; i < values.size(); ++i)
            arguments += (i ? "|" : "") + text(values[i]);
    };
    append("sample_fmts", targets.formats,
           [](AVSampleFormat format) { return std::string(av_get_sample_fmt_name(format)); });
    append("sample_rates", targets.rates, [](int rate) { return std::to_string(rate); });
    append("channel_layouts", targets.layouts,
           [](const AVChannelLayout* layout) { return layoutText(*layout); });
    return arguments;
}

// True when frames of this shape meet the targets as they are, so that the
// filter graph would hand them on unchanged.
bool takenAsIs(const AVFrame& shape, const EncoderTargets& targets)
{
    const auto allows = [](const auto& list, const auto& equal) {
        return list.empty() || std::any_of(list.begin(), list.end(), equal);
    };
    return shape.ch_layout.order == AV_CHANNEL_ORDER_NATIVE &&
           allows(targets.formats, [&](AVSampleFormat format) { return format == shape.format; }) &&
           allows(targets.rates, [&](int rate) { return rate == shape.sample_rate; }) &&
           allows(targets.layouts, [&](const AVChannelLayout* layout) {
               return av_channel_layout_compare(layout, &shape.ch_layout) == 0;
           });
}

} // namespace

FormatChain::~FormatChain()
{
    reset(false);
}

void FilterGraphFreer::operator()(AVFilterGraph* graph) const
{
    library->graphFree(&graph);
}

void FormatChain::reset(bool keepQueue)
{
    m_graph.reset();
    m_source = nullptr;
    m_sink = nullptr;
    av_channel_layout_uninit(&m_layout);
    if (keepQueue)
        return;
    m_queue.reset();
    m_ended = false;
    m_queuedOut = 0;
    av_channel_layout_uninit(&m_queueLayout);
}

int FormatChain::configure(const AVFrame& shape, const AVCodec& encoder,
                           const AVCodecContext* opened)
{
    const EncoderTargets targets = targetsFor(encoder, opened);
    // Where frames are cut after the graph, what the queue holds goes on to
    // the encoder in the shape it was opened with.
    reset(FramesCutAfterGraph && m_queue);
    m_format = shape.format;
    m_sampleRate = shape.sample_rate;
    int error = av_channel_layout_copy(&m_layout, &shape.ch_layout);
    if (error >= 0 && !takenAsIs(shape, targets))
        error = configureGraph(shape, formatArguments(targets));
    if (error < 0 || m_queue || (m_graph && !FramesCutAfterGraph))
        return error;
    m_queueFormat = outputFormat();
    m_queueSampleRate = outputSampleRate();
    error = copyOutputLayout(&m_queueLayout);
    if (error < 0)
        return error;
    m_queue.reset(av_audio_fifo_alloc(AVSampleFormat(m_queueFormat), m_queueLayout.nb_channels, 1));
    return m_queue ? 0 : AVERROR(ENOMEM);
}

int FormatChain::configureGraph(const AVFrame& shape, const std::string& formatArguments)
{
    m_library = filterLibrary();
    if (!m_library)
        return AVERROR(ELIBACC);
    m_graph = {m_library->graphAlloc(), FilterGraphFreer{m_library}};
    if (!m_graph)
        return AVERROR(ENOMEM);
    // The batch converts several files at once in separate processes.
    m_graph->nb_threads = 1;

    const FilterLibrary& library = *m_library;
    AVFilterContext* passThrough = nullptr;
    AVFilterContext* format = nullptr;
    int error = library.createFilter(&m_source, library.getByName("abuffer"), "in",
                                     sourceArguments(shape).c_str(), nullptr, m_graph.get());
    if (error >= 0)
        error = library.createFilter(&passThrough, library.getByName("anull"), "anull", nullptr,
                                     nullptr, m_graph.get());
    if (error >= 0)
        error = library.createFilter(&format, library.getByName("aformat"), "format",
                                     formatArguments.c_str(), nullptr, m_graph.get());
    if (error >= 0)
        error = library.createFilter(&m_sink, library.getByName("abuffersink"), "out", nullptr,
                                     nullptr, m_graph.get());
    if (error >= 0 && SinkNeedsAllChannelCounts)
        error = av_opt_set_int(m_sink, "all_channel_counts", 1, AV_OPT_SEARCH_CHILDREN);
    if (error >= 0)
        error = library.link(m_source, 0, passThrough, 0);
    if (error >= 0)
        error = library.link(passThrough, 0, format, 0);
    if (error >= 0)
        error = library.link(format, 0, m_sink, 0);
    if (error >= 0)
        error = library.graphConfig(m_graph.get(), nullptr);
    return error;
}

bool FormatChain::differsFrom(const AVFrame& frame) const
{
    return frame.format != m_format || frame.sample_rate != m_sampleRate ||
           av_channel_layout_compare(&frame.ch_layout, &m_layout) != 0;
}

void FormatChain::setFrameSize(int samples)
{
    m_frameSize = samples;
    if (m_graph && !FramesCutAfterGraph)
        m_library->setFrameSize(m_sink, unsigned(samples));
}

int FormatChain::push(AVFrame* frame)
{
    if (m_graph)
        return m_library->addFrame(m_source, frame, AV_BUFFERSRC_FLAG_PUSH);
    if (!frame) {
        m_ended = true;
        return 0;
    }
    return enqueue(*frame);
}

int FormatChain::enqueue(const AVFrame& frame)
{
    const int written = av_audio_fifo_write(
        m_queue.get(), reinterpret_cast<void**>(frame.extended_data), frame.nb_samples);
    return written < 0 ? written : 0;
}

int FormatChain::pull(AVFrame* frame, bool askForMore)
{
    if (m_graph && !FramesCutAfterGraph)
        return m_library->getFrame(m_sink, frame, askForMore ? 0 : AV_BUFFERSINK_FLAG_NO_REQUEST);
    if (m_graph) {
        const int error = queueGraphOutput(frame, askForMore);
        if (error < 0)
            return error;
    }
    return pullQueued(frame);
}

// Moves what the graph hands out into the queue; its end is the queue's.
int FormatChain::queueGraphOutput(AVFrame* frame, bool askForMore)
{
    for (;;) {
        int result =
            m_library->getFrame(m_sink, frame, askForMore ? 0 : AV_BUFFERSINK_FLAG_NO_REQUEST);
        if (result == AVERROR(EAGAIN))
            return 0;
        if (result == AVERROR_EOF) {
            m_ended = true;
            return 0;
        }
        if (result >= 0)
            result = enqueue(*frame);
        av_frame_unref(frame);
        if (result < 0)
            return result;
    }
}

// Whole frames while the input goes on, then what is left as a last, shorter one.
int FormatChain::pullQueued(AVFrame* frame)
{
    const int queued = av_audio_fifo_size(m_queue.get());
    if (queued == 0)
        return m_ended ? AVERROR_EOF : AVERROR(EAGAIN);
    if (m_frameSize > 0 && queued < m_frameSize && !m_ended)
        return AVERROR(EAGAIN);
    const int samples = m_frameSize > 0 ? std::min(queued, m_frameSize) : queued;
    frame->format = m_queueFormat;
    frame->sample_rate = m_queueSampleRate;
    frame->nb_samples = samples;
    int error = av_channel_layout_copy(&frame->ch_layout, &m_queueLayout);
    if (error >= 0)
        error = av_frame_get_buffer(frame, 0);
    if (error >= 0)
        error = av_audio_fifo_read(m_queue.get(), reinterpret_cast<void**>(frame->extended_data),
                                   samples);
    if (error < 0) {
        av_frame_unref(frame);
        return error;
    }
    frame->pts = m_queuedOut;
    m_queuedOut += samples;
    return 0;
}

int FormatChain::outputFormat() const
{
    return m_graph ? m_library->sinkFormat(m_sink) : m_format;
}

int FormatChain::outputSampleRate() const
{
    return m_graph ? m_library->sinkSampleRate(m_sink) : m_sampleRate;
}

int FormatChain::copyOutputLayout(AVChannelLayout* layout) const
{
    return m_graph ? m_library->sinkLayout(m_sink, layout)
                   : av_channel_layout_copy(layout, &m_layout);
}

} // namespace plumark::transcode
