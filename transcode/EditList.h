#pragma once

#include <QByteArray>
#include <QString>

namespace plumark::transcode {

// Why an MP4-family input's edit list is refused: one that plays more than
// its track holds (an edit repeated thousands of times makes hours of audio
// from seconds). Real files use edit lists to trim. Empty when the track of
// this id has no such list, or the file is no MP4. Reads the file's boxes
// itself, a small one at a time.
QString editListRefusal(const QByteArray& path, int trackId);

} // namespace plumark::transcode
