#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>

namespace plumark::transcode {

// The header fields of an AC3 frame that a conversion's choices set: the
// sample rate, the bit rate and the channel layout, with the stream's id and
// mode. Every frame of one encoding has the same.
struct Ac3Shape
{
    int sampleRate = 0;
    int bitRateKbps = 0;
    int streamInfo = -1;  // stream id and mode, the header's sixth byte
    int channelMode = -1; // which channels, without the LFE
    bool lfe = false;

    bool operator==(const Ac3Shape&) const = default;
};

// Reads the header of the AC3 frame at bytes: its shape and its length in
// bytes. False when no AC3 frame starts there.
bool readAc3Shape(const uint8_t* bytes, qint64 size, Ac3Shape* shape, int* frameBytes);

// Whether a whole frame's two checksums are right (the first over its first
// five eighths, the second over all of it), as the decoder checks them.
bool ac3ChecksumsRight(const uint8_t* frame, int frameBytes);

// What the frames of an AC3 stream say, read one frame after another.
struct Ac3Frames
{
    // One or more frames, each with right checksums and the first's shape,
    // the last ending at the data's end.
    bool whole = false;
    qint64 frames = 0;
    Ac3Shape shape; // the first frame's
};

// Adds the frames that follow one another from bytes to frames. Returns
// where the last whole, right frame of the first's shape ends.
qint64 walkAc3Frames(const uint8_t* bytes, qint64 size, Ac3Frames& frames);

// The frames of a result file in any container (by its name's extension):
// a raw stream is read to its end; for Matroska and MP4, every packet of the
// AC3 stream is one or more whole frames, the container is read to its end
// and ends at the file's end.
Ac3Frames readResultFrames(const QByteArray& path);

} // namespace plumark::transcode
