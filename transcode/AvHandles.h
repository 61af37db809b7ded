#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <QString>
#include <memory>

namespace plumark::transcode {

// Owning handles for the FFmpeg objects of one conversion, each freed by the
// library's own routine.
struct InputCloser
{
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputFreer
{
    void operator()(AVFormatContext* context) const
    {
        // A custom output is its owner's to free.
        if (context && context->pb && !(context->flags & AVFMT_FLAG_CUSTOM_IO))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecFreer
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

// Options handed to the library, which takes out those it uses; the rest
// are freed with the handle.
class Dictionary
{
public:
    Dictionary() = default;
    ~Dictionary() { av_dict_free(&m_dictionary); }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    void set(const char* key, const char* value) { av_dict_set(&m_dictionary, key, value, 0); }
    // For the library's calls that take and change the options.
    AVDictionary** address() { return &m_dictionary; }

private:
    AVDictionary* m_dictionary = nullptr;
};

using InputFormat = std::unique_ptr<AVFormatContext, InputCloser>;
using OutputFormat = std::unique_ptr<AVFormatContext, OutputFreer>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;

// The library's own text for an error code ("Invalid data found when
// processing input").
inline QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace plumark::transcode
