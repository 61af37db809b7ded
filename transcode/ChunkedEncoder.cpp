#include "transcode/ChunkedEncoder.h"

#include <cstring>
#include <numeric>
#include <vector>

namespace plumark::transcode {

namespace {

// The length of a chunk unless one is asked for.
constexpr int DefaultChunkSeconds = 10;
// Frames of lead-in an encoder is given at the least: the first makes the
// transform's overlap, the second's packet is the one checked.
constexpr int LeadInFrames = 2;

// Sends the frames (and the encoder's end with flush) and takes every packet.
int encodeFrames(AVCodecContext& encoder, const std::vector<Frame>& frames, bool flush,
                 std::vector<Packet>& packets)
{
    const auto take = [&]() {
        for (;;) {
            Packet packet(av_packet_alloc());
            if (!packet)
                return AVERROR(ENOMEM);
            const int result = avcodec_receive_packet(&encoder, packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return 0;
            if (result < 0)
                return result;
            packets.push_back(std::move(packet));
        }
    };
    for (const Frame& frame : frames) {
        int result = avcodec_send_frame(&encoder, frame.get());
        if (result >= 0)
            result = take();
        if (result < 0)
            return result;
    }
    if (!flush)
        return 0;
    const int result = avcodec_send_frame(&encoder, nullptr);
    return result < 0 ? result : take();
}

bool samePacket(const AVPacket& one, const AVPacket& other)
{
    return one.size == other.size && one.pts == other.pts && one.duration == other.duration &&
           std::memcmp(one.data, other.data, size_t(one.size)) == 0;
}

Frame reference(const AVFrame& frame)
{
    return Frame(av_frame_clone(&frame));
}

} // namespace

struct ChunkedEncoder::Chunk
{
    std::vector<Frame> leadIn; // frames before the chunk, encoded and dropped
    std::vector<Frame> frames;
    Codec encoder;
    std::vector<Packet> packets; // those of the chunk's own frames
    Packet boundary;             // that of the frame just before the chunk
    bool inStep = false;         // one packet for each lead-in frame
    int error = 0;

    void encode()
    {
        std::vector<Packet> leadPackets;
        error = encodeFrames(*encoder, leadIn, false, leadPackets);
        inStep = leadPackets.size() == leadIn.size();
        if (error >= 0 && !leadPackets.empty())
            boundary = std::move(leadPackets.back());
        if (error >= 0)
            error = encodeFrames(*encoder, frames, false, packets);
    }
};

ChunkedEncoder::ChunkedEncoder(const AVCodecContext& opened, EncoderOpener open, PacketWriter write,
                               int threads, int chunkFrames)
    : m_open(std::move(open)), m_write(std::move(write)), m_threads(std::max(1, threads)),
      m_period(paddingPeriod(opened))
{
    const int frameSize = std::max(1, opened.frame_size);
    if (chunkFrames <= 0) {
        // Whole periods, so that each lead-in is the shortest.
        const int frames = (DefaultChunkSeconds * opened.sample_rate + frameSize - 1) / frameSize;
        chunkFrames = (frames + m_period - 1) / m_period * m_period;
    }
    m_chunkFrames = std::max(1, chunkFrames);
}

ChunkedEncoder::~ChunkedEncoder() = default;

int ChunkedEncoder::paddingPeriod(const AVCodecContext& encoder)
{
    const int64_t rateBits = 16 * int64_t(encoder.sample_rate);
    const int64_t frameBits = int64_t(encoder.frame_size) * encoder.bit_rate;
    if (rateBits <= 0 || frameBits <= 0)
        return 1;
    return int(rateBits / std::gcd(rateBits, frameBits));
}

int ChunkedEncoder::push(const AVFrame& frame)
{
    if (!m_filling) {
        m_filling = std::make_unique<Chunk>();
        // The encoder starts at a whole padding period, at least two frames
        // before the chunk.
        const qint64 start = m_framesSeen;
        const qint64 leadStart =
            start == 0 ? 0 : std::max<qint64>(0, (start - LeadInFrames) / m_period * m_period);
        const qint64 historyStart = m_framesSeen - qint64(m_history.size());
        for (qint64 index = leadStart; index < start; ++index)
            m_filling->leadIn.push_back(reference(*m_history[size_t(index - historyStart)]));
    }
    Frame held = reference(frame);
    Frame remembered = reference(frame);
    if (!held || !remembered)
        return AVERROR(ENOMEM);
    m_filling->frames.push_back(std::move(held));
    m_history.push_back(std::move(remembered));
    while (qint64(m_history.size()) > m_period + LeadInFrames)
        m_history.pop_front();
    ++m_framesSeen;
    // The first chunk runs two frames longer, so that the later ones start
    // two frames after a whole period.
    const bool first = m_framesSeen == qint64(m_filling->frames.size());
    if (qint64(m_filling->frames.size()) < m_chunkFrames + (first ? LeadInFrames : 0))
        return 0;
    return launch();
}

int ChunkedEncoder::launch()
{
    std::unique_ptr<Chunk> chunk = std::move(m_filling);
    chunk->encoder = m_open();
    if (!chunk->encoder)
        return AVERROR(ENOMEM);
    while (int(m_encoding.size()) >= m_threads)
        if (const int result = writeOldest(); result < 0)
            return result;
    // Without a thread to spare, the chunk is encoded when it is written.
    m_encoding.push_back(std::async(std::launch::async | std::launch::deferred,
                                    [chunk = std::move(chunk)]() mutable {
                                        chunk->encode();
                                        return std::move(chunk);
                                    }));
    return 0;
}

int ChunkedEncoder::writeOldest()
{
    std::unique_ptr<Chunk> chunk = m_encoding.front().get();
    m_encoding.pop_front();
    if (chunk->error < 0)
        return chunk->error;
    const bool follows =
        chunk->leadIn.empty() || (chunk->inStep && chunk->boundary && m_previousPacket &&
                                  samePacket(*chunk->boundary, *m_previousPacket));
    if (!follows) {
        // The encoder of the chunk before stands where one encoder would.
        if (!m_previousEncoder)
            return AVERROR_BUG;
        ++m_encodedAgain;
        chunk->packets.clear();
        chunk->encoder = std::move(m_previousEncoder);
        if (const int result = encodeFrames(*chunk->encoder, chunk->frames, false, chunk->packets);
            result < 0)
            return result;
    }
    m_previousEncoder = std::move(chunk->encoder);
    ++m_chunks;
    return write(chunk->packets);
}

int ChunkedEncoder::write(std::vector<Packet>& packets)
{
    if (!packets.empty()) {
        // Kept before the writer changes its times.
        m_previousPacket.reset(av_packet_clone(packets.back().get()));
        if (!m_previousPacket)
            return AVERROR(ENOMEM);
    }
    for (Packet& packet : packets)
        m_write(*packet);
    return 0;
}

int ChunkedEncoder::finish()
{
    if (m_filling)
        if (const int result = launch(); result < 0)
            return result;
    while (!m_encoding.empty())
        if (const int result = writeOldest(); result < 0)
            return result;
    if (!m_previousEncoder)
        return 0;
    std::vector<Packet> packets;
    const int result = encodeFrames(*m_previousEncoder, {}, true, packets);
    return result < 0 ? result : write(packets);
}

} // namespace plumark::transcode
