#pragma once

#include "transcode/AvHandles.h"

namespace plumark::transcode {

// The filter graph the ffmpeg program builds for one audio stream on its own:
// the decoded audio, through "aformat" limited to what the encoder accepts
// (libavfilter inserts the resampler where the audio must change), to a sink.
class FormatChain
{
public:
    FormatChain() = default;
    ~FormatChain();
    FormatChain(const FormatChain&) = delete;
    FormatChain& operator=(const FormatChain&) = delete;

    // Builds the graph for frames shaped like the given one. Returns a
    // negative error code on failure.
    int configure(const AVFrame& shape, const AVCodec& encoder);

    // True when a frame's format, rate or layout differs from the graph's.
    bool differsFrom(const AVFrame& frame) const;

    // The sink hands out frames of exactly this many samples (the last one
    // may be shorter).
    void setFrameSize(int samples);

    int push(AVFrame* frame); // nullptr marks the end of the input
    // A frame ready at the sink: AVERROR(EAGAIN) when no whole frame is.
    // After the end, a pull that asks the graph for more also draws out what
    // the filters still hold (the resampler's delay); AVERROR_EOF then ends.
    int pull(AVFrame* frame, bool askForMore = false);
    const AVFilterContext& sink() const { return *m_sink; }

private:
    Graph m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    int m_format = -1;
    int m_sampleRate = 0;
    AVChannelLayout m_layout{};
};

} // namespace plumark::transcode
