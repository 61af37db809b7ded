#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace plumark::transcode {

// How much audio the converter decodes from an input, read from its
// container's header and index without decoding anything.
struct AudioLength
{
    qint64 samples = -1; // -1 when the input cannot tell
    int sampleRate = 0;
};

// AAC is decoded in whole frames past its declared end (the library keeps
// the last frame's padding): its length is where its last frame ends, less
// what the demuxer marks to be dropped from that frame (newer releases trim
// it to the track's length). Any other audio decodes to its declared length.
AudioLength decodedAudioLength(const QByteArray& input);

} // namespace plumark::transcode
