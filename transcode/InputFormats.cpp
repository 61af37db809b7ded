#include "transcode/InputFormats.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
}

#include <memory>

namespace plumark::transcode {

namespace {

// Demuxer names; "mov" stands for "mov,mp4,m4a,3gp,3g2,mj2", "matroska" for
// "matroska,webm".
constexpr char MusicFormats[] = "mov,aac,ac3,eac3,aiff,amr,amrnb,amrwb,ape,asf,au,caf,dsf,dts,"
                                "flac,loas,matroska,mp3,mpc,mpc8,ogg,shn,tak,truehd,mlp,tta,"
                                "voc,w64,wav,wv";

struct InputCloser
{
    void operator()(AVIOContext* context) const { avio_closep(&context); }
};

} // namespace

int probeInputFormat(const QByteArray& url, const AVInputFormat** format)
{
    AVIOContext* input = nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", inputProtocolList(), 0);
    const int opened = avio_open2(&input, url.constData(), AVIO_FLAG_READ, nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return opened;
    const std::unique_ptr<AVIOContext, InputCloser> closer(input);
    const int probed = av_probe_input_buffer2(input, format, url.constData(), nullptr, 0, 0);
    return probed < 0 ? probed : 0;
}

bool isMusicFormat(const AVInputFormat& format)
{
    return av_match_list(format.name, MusicFormats, ',') > 0;
}

const char* musicFormatList()
{
    return MusicFormats;
}

const char* inputProtocolList()
{
    return "file";
}

void restrictToMusicFormats(AVDictionary** options)
{
    av_dict_set(options, "protocol_whitelist", inputProtocolList(), 0);
    av_dict_set(options, "format_whitelist", MusicFormats, 0);
}

} // namespace plumark::transcode
