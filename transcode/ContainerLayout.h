#pragma once

#include <QByteArray>

namespace plumark::transcode {

// Whether a Matroska or MP4 result (by its name's extension) ends where its
// own structure says it ends: Matroska's segment, whose size its muxer
// writes last, and MP4's top-level boxes, among them the index ("moov"),
// reach exactly to the file's end. A result cut anywhere, also after its
// last audio frame, fails.
bool containerSpansFile(const QByteArray& path);

} // namespace plumark::transcode
