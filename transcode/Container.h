#pragma once

#include <QByteArray>
#include <QString>

namespace plumark::transcode {

// What holds a result's AC3 stream: the bare stream, or a container that
// also carries the input's tags and cover art.
enum class Container { Ac3, Matroska, Mp4 };

// The result's extension without its dot: "ac3", "mka" or "mp4".
QString containerExtension(Container container);

// The container an extension names ("ac3", "mka", "mp4"); false when none.
bool containerFromExtension(const QString& extension, Container* container);

// The libraries' name of the container's format, which both writes and
// reads it: "ac3", "matroska" or "mp4".
const char* formatName(Container container);

// The container a result's file name ends in; Ac3 for any other name.
Container containerOfResult(const QByteArray& path);

} // namespace plumark::transcode
