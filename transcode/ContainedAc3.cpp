#include "transcode/ContainedAc3.h"

#include "transcode/AvHandles.h"

namespace plumark::transcode {

bool readContainedAc3(const QByteArray& path,
                      const std::function<bool(const uint8_t* data, int size)>& take)
{
    const Container container = containerOfResult(path);
    if (container == Container::Ac3)
        return false;
    const AVInputFormat* format = av_find_input_format(formatName(container));
    if (!format)
        return false;
    Dictionary options;
    options.set("protocol_whitelist", "file");
    AVFormatContext* opened = nullptr;
    const QByteArray url = QByteArrayLiteral("file:") + path;
    const int result = avformat_open_input(&opened, url.constData(), format, options.address());
    if (result < 0)
        return false;
    const InputFormat input(opened);
    int audio = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (input->streams[i]->codecpar->codec_id == AV_CODEC_ID_AC3 && audio < 0)
            audio = int(i);
        else
            input->streams[i]->discard = AVDISCARD_ALL;
    }
    if (audio < 0)
        return false;
    const Packet packet(av_packet_alloc());
    if (!packet)
        return false;
    for (;;) {
        const int read = av_read_frame(input.get(), packet.get());
        if (read == AVERROR_EOF)
            return true;
        if (read < 0)
            return false;
        const bool more = packet->stream_index != audio || take(packet->data, packet->size);
        av_packet_unref(packet.get());
        if (!more)
            return true;
    }
}

} // namespace plumark::transcode
