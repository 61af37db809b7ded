#include "transcode/FfmpegRelease.h"

namespace plumark::transcode {

#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(61, 13, 100)

namespace {

// One of the encoder's lists, ended by the library's terminator.
template <typename Value> const Value* supported(const AVCodec& encoder, AVCodecConfig config)
{
    const void* values = nullptr;
    if (avcodec_get_supported_config(nullptr, &encoder, config, 0, &values, nullptr) < 0)
        return nullptr;
    return static_cast<const Value*>(values);
}

} // namespace

EncoderTargets encoderTargets(const AVCodec& encoder)
{
    EncoderTargets targets;
    const auto* format = supported<AVSampleFormat>(encoder, AV_CODEC_CONFIG_SAMPLE_FORMAT);
    for (; format && *format >= 0; ++format)
        targets.formats.push_back(*format);
    const auto* rate = supported<int>(encoder, AV_CODEC_CONFIG_SAMPLE_RATE);
    for (; rate && *rate; ++rate)
        targets.rates.push_back(*rate);
    const auto* layout = supported<AVChannelLayout>(encoder, AV_CODEC_CONFIG_CHANNEL_LAYOUT);
    for (; layout && layout->nb_channels; ++layout)
        targets.layouts.push_back(layout);
    return targets;
}

#else

EncoderTargets encoderTargets(const AVCodec& encoder)
{
    EncoderTargets targets;
    for (const AVSampleFormat* format = encoder.sample_fmts; format && *format >= 0; ++format)
        targets.formats.push_back(*format);
    for (const int* rate = encoder.supported_samplerates; rate && *rate; ++rate)
        targets.rates.push_back(*rate);
    for (const AVChannelLayout* layout = encoder.ch_layouts; layout && layout->nb_channels;
         ++layout)
        targets.layouts.push_back(layout);
    return targets;
}

#endif

} // namespace plumark::transcode
