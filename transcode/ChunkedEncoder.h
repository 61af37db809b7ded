#pragma once

#include "transcode/AvHandles.h"

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <vector>

namespace plumark::transcode {

// Encodes one stream of frames on several threads to the very packets one
// encoder given every frame in turn makes. The frames are cut into chunks,
// each encoded by an encoder of its own that starts a little before its
// chunk, so that what an encoder carries from frame to frame (the transform's
// overlap, the previous frame's allocation, the padding of 44.1 kHz frames)
// is what it would be. That is checked, not assumed: the packet of the frame
// before each chunk must be the one the previous chunk made, and where it is
// not, the previous chunk's encoder, which stands exactly where one encoder
// would, encodes the chunk again. Packets reach the writer in stream order on
// the caller's thread; at most `threads` chunks are encoded at once.
class ChunkedEncoder
{
public:
    // Opens an encoder as the sequential conversion opens its one encoder.
    using EncoderOpener = std::function<Codec()>;
    using PacketWriter = std::function<void(AVPacket& packet)>;

    // opened: an encoder opened so, for the frames' shape. chunkFrames: frames
    // per chunk; 0 for about ten seconds.
    ChunkedEncoder(const AVCodecContext& opened, EncoderOpener open, PacketWriter write,
                   int threads, int chunkFrames);
    ~ChunkedEncoder();
    ChunkedEncoder(const ChunkedEncoder&) = delete;
    ChunkedEncoder& operator=(const ChunkedEncoder&) = delete;

    // The next frame; the encoder keeps a reference. A negative error code
    // when an encoder failed.
    int push(const AVFrame& frame);
    // Encodes and writes what is left, the encoders' ends included.
    int finish();

    // Frames after which an AC3 encoder's 44.1 kHz frame padding repeats
    // itself: starting at a multiple of it, an encoder pads as one that
    // started at the stream's start.
    static int paddingPeriod(const AVCodecContext& encoder);

    // Chunks written so far, and those of them encoded again.
    int chunks() const { return m_chunks; }
    int chunksEncodedAgain() const { return m_encodedAgain; }

private:
    struct Chunk;

    int launch();
    int writeOldest();
    int write(std::vector<Packet>& packets);

    EncoderOpener m_open;
    PacketWriter m_write;
    int m_threads;
    int m_chunkFrames;
    int m_period = 0;
    qint64 m_framesSeen = 0;
    std::unique_ptr<Chunk> m_filling;
    std::deque<Frame> m_history; // the last frames, for the next chunk's lead-in
    std::deque<std::future<std::unique_ptr<Chunk>>> m_encoding;
    Codec m_previousEncoder; // the encoder of the chunk written last
    Packet m_previousPacket; // the last packet written
    int m_chunks = 0;
    int m_encodedAgain = 0;
};

} // namespace plumark::transcode
