// Chunks encoded on several threads give the packets one encoder gives, also
// where a chunk's encoder does not follow on from the one before.
#include "transcode/ChunkedEncoder.h"

#include <QList>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace plumark::transcode;

namespace {

constexpr int SampleRate = 44100;
// Longer than one chunk of the default length, the last frame short.
constexpr int FrameCount = 320;
constexpr int LastFrameSamples = 700;

struct Encoded
{
    QByteArray data;
    int64_t pts;
    int64_t duration;
    bool operator==(const Encoded&) const = default;
};

Codec openEncoder(const char* rate)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("ac3");
    Codec encoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!encoder)
        return encoder;
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = SampleRate;
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&encoder->ch_layout, &stereo);
    encoder->time_base = AVRational{1, SampleRate};
    AVDictionary* options = nullptr;
    av_dict_set(&options, "b", rate, 0);
    const int opened = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    return opened < 0 ? Codec() : std::move(encoder);
}

// A tone that grows louder, and noise: frames the rate search works on.
std::vector<Frame> makeFrames()
{
    std::vector<Frame> frames;
    uint32_t noise = 1;
    for (int index = 0; index < FrameCount; ++index) {
        Frame frame(av_frame_alloc());
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = SampleRate;
        frame->nb_samples = index + 1 == FrameCount ? LastFrameSamples : 1536;
        const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&frame->ch_layout, &stereo);
        frame->pts = int64_t(index) * 1536;
        EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
        for (int channel = 0; channel < 2; ++channel) {
            auto* samples = reinterpret_cast<float*>(frame->extended_data[channel]);
            for (int i = 0; i < frame->nb_samples; ++i) {
                noise = noise * 1664525u + 1013904223u;
                const double t = double(frame->pts + i) / SampleRate;
                samples[i] = float((0.1 + 0.6 * index / FrameCount) *
                                       std::sin(2 * M_PI * (330 + 220 * channel) * t) +
                                   0.2 * (double(noise >> 8) / (1u << 24) - 0.5));
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

Encoded copy(const AVPacket& packet)
{
    return {QByteArray(reinterpret_cast<const char*>(packet.data), packet.size), packet.pts,
            packet.duration};
}

QList<Encoded> sequential(const std::vector<Frame>& frames)
{
    QList<Encoded> packets;
    Codec encoder = openEncoder("192k");
    Packet packet(av_packet_alloc());
    const auto take = [&]() {
        while (avcodec_receive_packet(encoder.get(), packet.get()) >= 0) {
            packets.append(copy(*packet));
            av_packet_unref(packet.get());
        }
    };
    for (const Frame& frame : frames) {
        EXPECT_EQ(avcodec_send_frame(encoder.get(), frame.get()), 0);
        take();
    }
    EXPECT_EQ(avcodec_send_frame(encoder.get(), nullptr), 0);
    take();
    return packets;
}

struct Split
{
    const char* name;
    int threads;
    int chunkFrames;
    // The rate of every encoder opened after the first: another than the
    // first's makes each chunk's edge disagree.
    const char* laterRate;
};

void PrintTo(const Split& split, std::ostream* os)
{
    *os << split.name;
}

const Split splits[] = {
    {"chunks_of_one_frame", 2, 1, "192k"},
    {"chunks_shorter_than_the_period", 3, 10, "192k"},
    {"chunks_longer_than_the_period", 4, 50, "192k"},
    {"default_chunks", 2, 0, "192k"},
    {"later_encoders_disagree", 2, 7, "96k"},
};

class ChunkedEncoding : public ::testing::TestWithParam<Split>
{
};

TEST_P(ChunkedEncoding, SamePacketsAsOneEncoder)
{
    const Split& split = GetParam();
    const std::vector<Frame> frames = makeFrames();
    const QList<Encoded> want = sequential(frames);
    ASSERT_EQ(want.size(), FrameCount);

    const Codec shape = openEncoder("192k");
    ASSERT_TRUE(shape);
    int opened = 0;
    QList<Encoded> got;
    ChunkedEncoder encoder(
        *shape, [&]() { return openEncoder(opened++ == 0 ? "192k" : split.laterRate); },
        [&](AVPacket& packet) { got.append(copy(packet)); }, split.threads, split.chunkFrames);
    for (const Frame& frame : frames)
        ASSERT_EQ(encoder.push(*frame), 0);
    ASSERT_EQ(encoder.finish(), 0);

    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < want.size(); ++i)
        EXPECT_TRUE(got[i] == want[i]) << "packet " << i;
    // Encoders that follow on are taken as they are; the others are redone.
    EXPECT_GT(encoder.chunks(), 1);
    if (std::strcmp(split.laterRate, "192k") == 0)
        EXPECT_EQ(encoder.chunksEncodedAgain(), 0);
    else
        EXPECT_EQ(encoder.chunksEncodedAgain(), encoder.chunks() - 1);
}

INSTANTIATE_TEST_SUITE_P(Splits, ChunkedEncoding, ::testing::ValuesIn(splits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PaddingPeriod, RepeatsAsTheEncoderPads)
{
    // 44.1 kHz frames are padded in a pattern of 49 frames at 192k, 21 at
    // 448k and 147 at 128k; 48 kHz frames never are.
    const struct
    {
        int rate;
        int64_t bitRate;
        int period;
    } rows[] = {{44100, 192000, 49}, {44100, 448000, 21}, {44100, 128000, 147}, {48000, 192000, 1}};
    for (const auto& row : rows) {
        AVCodecContext context{};
        context.sample_rate = row.rate;
        context.bit_rate = row.bitRate;
        context.frame_size = 1536;
        EXPECT_EQ(ChunkedEncoder::paddingPeriod(context), row.period) << row.bitRate;
    }
}

} // namespace
