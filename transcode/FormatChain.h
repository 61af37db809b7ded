#pragma once

#include "transcode/AvHandles.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <memory>
#include <string>

struct AVFilterContext;
struct AVFilterGraph;

namespace plumark::transcode {

struct FilterLibrary;

// Frees a filter graph with the loaded library's own routine.
struct FilterGraphFreer
{
    const FilterLibrary* library = nullptr;
    void operator()(AVFilterGraph* graph) const;
};
struct SampleQueueFreer
{
    void operator()(AVAudioFifo* queue) const { av_audio_fifo_free(queue); }
};

// What the ffmpeg program does on its own between the decoder and the
// encoder. Audio the encoder takes as it is only goes through its frame-size
// queue, which here is a sample queue of its own. Any other audio goes
// through the filter graph the ffmpeg program builds: "aformat" limited to
// what the encoder accepts (libavfilter inserts the resampler where the audio
// must change) to a sink. Frames are cut where that release's ffmpeg program
// cuts them (FramesCutAfterGraph): in the sink, or in the queue after it.
class FormatChain
{
public:
    FormatChain() = default;
    ~FormatChain();
    FormatChain(const FormatChain&) = delete;
    FormatChain& operator=(const FormatChain&) = delete;

    // Builds the chain for frames shaped like the given one, to what the
    // encoder takes, or, once it is open (opened), to what it was opened
    // with. What an earlier chain still held is dropped. Returns a negative
    // error code on failure.
    int configure(const AVFrame& shape, const AVCodec& encoder,
                  const AVCodecContext* opened = nullptr);

    // True when a frame's format, rate or layout differs from the chain's.
    bool differsFrom(const AVFrame& frame) const;

    // The chain hands out frames of exactly this many samples (the last one
    // may be shorter).
    void setFrameSize(int samples);

    int push(AVFrame* frame); // nullptr marks the end of the input
    // A frame ready at the end: AVERROR(EAGAIN) when no whole frame is.
    // After the end, a pull that asks for more also draws out what the
    // filters still hold (the resampler's delay); AVERROR_EOF then ends.
    int pull(AVFrame* frame, bool askForMore = false);

    // The shape of the audio the chain hands out.
    int outputFormat() const;
    int outputSampleRate() const;
    int copyOutputLayout(AVChannelLayout* layout) const;

private:
    int configureGraph(const AVFrame& shape, const std::string& formatArguments);
    int enqueue(const AVFrame& frame);
    int queueGraphOutput(AVFrame* frame, bool askForMore);
    int pullQueued(AVFrame* frame);
    void reset(bool keepQueue);

    // The graph, when the audio must change.
    const FilterLibrary* m_library = nullptr;
    std::unique_ptr<AVFilterGraph, FilterGraphFreer> m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;

    // The sample queue, when the encoder takes the audio as it is or frames
    // are cut after the graph, and the shape of what it holds.
    std::unique_ptr<AVAudioFifo, SampleQueueFreer> m_queue;
    int m_frameSize = 0;
    bool m_ended = false;
    int64_t m_queuedOut = 0;
    int m_queueFormat = -1;
    int m_queueSampleRate = 0;
    AVChannelLayout m_queueLayout{};

    // The shape the chain was built for.
    int m_format = -1;
    int m_sampleRate = 0;
    AVChannelLayout m_layout{};
};

} // namespace plumark::transcode
