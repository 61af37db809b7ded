#pragma once

#include "transcode/Container.h"

#include <QStringList>

namespace plumark {

// The ffmpeg program's options that give a result in container the tags and
// cover the in-process engine gives it: ffmpeg copies the input's tags on
// its own; for MP4 it copies the cover as it is. Matroska takes a cover
// only as an attachment read from a file, which these options cannot name:
// there the cover is left out.
QStringList converterOptionsFor(transcode::Container container);

// Whether the ffmpeg program can give a result in container all that the
// in-process engine gives.
bool converterWritesWhole(transcode::Container container);

} // namespace plumark
