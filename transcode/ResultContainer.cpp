#include "transcode/ResultContainer.h"

extern "C" {
#include <libavcodec/version.h>
#include <libavutil/mem.h>
}

#include <cerrno>
#include <cstring>

namespace plumark::transcode {

namespace {

struct CoverKind
{
    AVCodecID codec;
    const char* fileName;
    const char* mimeType;
};

// The picture formats both containers take as cover art.
constexpr CoverKind CoverKinds[] = {
    {AV_CODEC_ID_MJPEG, "cover.jpg", "image/jpeg"},
    {AV_CODEC_ID_PNG, "cover.png", "image/png"},
    {AV_CODEC_ID_BMP, "cover.bmp", "image/bmp"},
};

const CoverKind* coverKindOf(const AVStream& stream)
{
    for (const CoverKind& kind : CoverKinds)
        if (stream.codecpar->codec_id == kind.codec)
            return &kind;
    return nullptr;
}

// The first attached picture of a kind both containers take.
const AVStream* findCover(const AVFormatContext& input)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream* stream = input.streams[i];
        if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->attached_pic.size > 0 &&
            coverKindOf(*stream))
            return stream;
    }
    return nullptr;
}

// Matroska keeps a picture as an attached file: its bytes, name and type.
int addAttachment(AVFormatContext& output, const AVStream& cover)
{
    AVStream* stream = avformat_new_stream(&output, nullptr);
    if (!stream)
        return AVERROR(ENOMEM);
    const CoverKind& kind = *coverKindOf(cover);
    AVCodecParameters& parameters = *stream->codecpar;
    parameters.codec_type = AVMEDIA_TYPE_ATTACHMENT;
    parameters.codec_id = kind.codec;
    const int size = cover.attached_pic.size;
    parameters.extradata =
        static_cast<uint8_t*>(av_mallocz(size_t(size) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!parameters.extradata)
        return AVERROR(ENOMEM);
    std::memcpy(parameters.extradata, cover.attached_pic.data, size_t(size));
    parameters.extradata_size = size;
    int result = av_dict_copy(&stream->metadata, cover.metadata, 0);
    if (result >= 0)
        result = av_dict_set(&stream->metadata, "filename", kind.fileName, 0);
    if (result >= 0)
        result = av_dict_set(&stream->metadata, "mimetype", kind.mimeType, 0);
    return result;
}

// MP4 keeps a picture as an attached picture stream of one packet.
int addAttachedPicture(AVFormatContext& output, const AVStream& cover)
{
    AVStream* stream = avformat_new_stream(&output, nullptr);
    if (!stream)
        return AVERROR(ENOMEM);
    int result = avcodec_parameters_copy(stream->codecpar, cover.codecpar);
    if (result < 0)
        return result;
    stream->codecpar->codec_tag = 0;
    stream->disposition = AV_DISPOSITION_ATTACHED_PIC;
    stream->time_base = cover.time_base;
    return av_dict_copy(&stream->metadata, cover.metadata, 0);
}

} // namespace

int ResultContainer::prepare(AVFormatContext& output, const AVFormatContext& input,
                             const AVStream& audio, Container container)
{
    if (container == Container::Ac3)
        return 0;
    // As the ffmpeg program does: every tag of the input and of its audio
    // stream, the writing library named as the encoder.
    int result = av_dict_copy(&output.metadata, input.metadata, 0);
    if (result >= 0)
        result = av_dict_set(&output.metadata, "encoder", LIBAVFORMAT_IDENT, 0);
    if (result >= 0)
        result = av_dict_copy(&output.streams[0]->metadata, audio.metadata, 0);
    if (result >= 0)
        result = av_dict_set(&output.streams[0]->metadata, "encoder", LIBAVCODEC_IDENT " ac3", 0);
    if (result < 0)
        return result;
    m_cover = findCover(input);
    if (!m_cover)
        return 0;
    m_coverIndex = int(output.nb_streams);
    if (container == Container::Matroska) {
        result = addAttachment(output, *m_cover);
        m_cover = nullptr;
        return result;
    }
    return addAttachedPicture(output, *m_cover);
}

int ResultContainer::writeCover(AVFormatContext& output)
{
    if (!m_cover)
        return 0;
    AVPacket* packet = av_packet_clone(&m_cover->attached_pic);
    if (!packet)
        return AVERROR(ENOMEM);
    packet->stream_index = m_coverIndex;
    packet->pts = packet->dts = 0;
    packet->duration = 0;
    const int result = av_interleaved_write_frame(&output, packet);
    av_packet_free(&packet);
    return result;
}

} // namespace plumark::transcode
