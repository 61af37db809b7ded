#pragma once

#include "engine/Paths.h"

#include <QString>

namespace plumark {

// The output path of one input: the output folder (or, when it is empty, the
// input's own folder), a separator, the input's base name and ".ac3", tidied
// by CollapseBackslashes.
QString outputPathFor(const QString& inputPath, const QString& outputFolder,
                      PathStyle style = PathStyle::Native);

// "Folder does not exist. Please select another folder." in the window's language.
QString folderMissingText();

// folderMissingText() when the output has no existing folder (an empty output
// path included), else an empty text: checked as each file's turn comes, so
// that an output folder emptied or removed during a run never sends a result
// elsewhere.
QString outputFolderRefusal(const QString& outputPath);

// Why a row must not be handed to the converter, or an empty text when it
// may: the input is not admitted (AdmittedInput: missing,
// unreadable, not a regular file, or a file of the system's own file systems
// such as /proc, which a converter could wait on forever), or it is the very
// file the output would replace (also when reached through a link).
QString refusalReason(const QString& inputPath, const QString& outputPath);

// The last line of a converter's error output that says something, for the
// report of files that could not be converted: progress, the description of
// the streams and the closing lines that only say the run failed are passed
// over.
QString lastErrorLine(const QByteArray& errorOutput);

// Why a finished conversion does not count, or an empty text when it does:
// a non-zero exit code, a start failure, or no output (or an empty one). A
// converter that refused to replace a file of the result's name is named by
// its refusal even when it exits with 0. startError is the system's error
// number of a start failure, when known: the cause is then its text.
QString conversionFailureReason(qint32 exitCode, const QString& outputPath,
                                const QString& errorLine, int startError = 0);

} // namespace plumark
