#pragma once

#include "engine/CommandLine.h"
#include "transcode/Container.h"

#include <QStringList>

namespace plumark {

// The ffmpeg program's options that give a result in container the tags and
// cover the in-process converter gives it: ffmpeg copies the input's tags on
// its own; for MP4 it copies the cover as it is. Matroska takes a cover
// only as an attachment read from a file, which these options cannot name:
// there the cover is left out.
QStringList converterOptionsFor(transcode::Container container);

// Whether the ffmpeg program can give a result in container all that the
// in-process converter gives.
bool converterWritesWhole(transcode::Container container);

// The ffmpeg program's command line for one file of the batch, with the
// options for the result's container. The program reads its input as the
// in-process converter does: in a music file's own formats only (the converter's
// list, transcode::musicFormatList), from local files only, so that a
// playlist, manifest or concatenation list posing as an M4A is refused
// rather than followed to the files it names.
CommandLine batchConverterCommand(const QString& converterPath, const QString& inputPath,
                                  const QString& rateToken, const QString& outputPath,
                                  transcode::Container container,
                                  const QStringList& outputOptions = {});

} // namespace plumark
