#include "transcode/AudioLength.h"

#include "base/InputGate.h"
#include "transcode/AvHandles.h"
#include "transcode/InputFormats.h"
#include "transcode/StreamChoice.h"

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include <algorithm>

namespace plumark::transcode {

namespace {

constexpr int AacFrameSize = 1024;

// Samples the demuxer marks to be dropped from the end of the stream's last
// packets (newer FFmpeg releases trim an MP4's last AAC frame to the track's
// length this way; the decoder then drops them). Read from the packets from
// the last one's time on, without decoding.
int64_t trailingDiscard(AVFormatContext& context, int index, int64_t lastTimestamp)
{
    if (av_seek_frame(&context, index, lastTimestamp, AVSEEK_FLAG_BACKWARD) < 0)
        return 0;
    const Packet packet(av_packet_alloc());
    if (!packet)
        return 0;
    int64_t discard = 0;
    while (av_read_frame(&context, packet.get()) >= 0) {
        size_t size = 0;
        const uint8_t* skip =
            av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &size);
        if (packet->stream_index == index && skip && size >= 8)
            discard += AV_RL32(skip + 4);
        av_packet_unref(packet.get());
    }
    return discard;
}

} // namespace

AudioLength decodedAudioLength(const QByteArray& input)
{
    const AdmittedInput admitted(input);
    if (!admitted.admitted())
        return {};
    AVFormatContext* opened = nullptr;
    Dictionary options;
    // A playlist posing as the input must not make this open other files.
    restrictToMusicFormats(options.address());
    const int result =
        avformat_open_input(&opened, admitted.url().constData(), nullptr, options.address());
    if (result < 0)
        return {};
    const InputFormat context(opened);
    const int index = chooseAudioStream(*context);
    if (index < 0)
        return {};
    AVStream& stream = *context->streams[index];
    const AVCodecParameters& parameters = *stream.codecpar;
    if (parameters.sample_rate <= 0 || stream.time_base.num <= 0)
        return {};
    // Ticks of the stream's clock to samples.
    const auto samples = [&](int64_t ticks) {
        return av_rescale_q(ticks, stream.time_base, AVRational{1, parameters.sample_rate});
    };
    const int entries = avformat_index_get_entries_count(&stream);
    if (parameters.codec_id == AV_CODEC_ID_AAC && entries > 0) {
        // The header alone leaves the frame size unset: AAC's is 1024.
        const int frameSize = parameters.frame_size > 0 ? parameters.frame_size : AacFrameSize;
        const AVIndexEntry* first = avformat_index_get_entry(&stream, 0);
        const AVIndexEntry* last = avformat_index_get_entry(&stream, entries - 1);
        if (first && last)
            return {samples(last->timestamp - std::max<int64_t>(first->timestamp, 0)) + frameSize -
                        trailingDiscard(*context, index, last->timestamp),
                    parameters.sample_rate};
    }
    if (stream.duration > 0)
        return {samples(stream.duration), parameters.sample_rate};
    if (context->duration > 0)
        return {av_rescale(context->duration, parameters.sample_rate, AV_TIME_BASE),
                parameters.sample_rate};
    return {};
}

} // namespace plumark::transcode
