#include "transcode/AudioLength.h"

#include "transcode/AvHandles.h"
#include "transcode/InputFormats.h"
#include "transcode/StreamChoice.h"

#include <algorithm>

namespace plumark::transcode {

namespace {

constexpr int AacFrameSize = 1024;

} // namespace

AudioLength decodedAudioLength(const QByteArray& input)
{
    AVFormatContext* opened = nullptr;
    AVDictionary* options = nullptr;
    // A playlist posing as the input must not make this open other files.
    restrictToMusicFormats(&options);
    const int result = avformat_open_input(
        &opened, (QByteArrayLiteral("file:") + input).constData(), nullptr, &options);
    av_dict_free(&options);
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
            return {samples(last->timestamp - std::max<int64_t>(first->timestamp, 0)) + frameSize,
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
