#pragma once

#include "transcode/Container.h"

#include <QString>
#include <QStringList>

namespace plumark {

// What "plumark convert" was asked to do.
struct BatchOptions
{
    // What converts, as --engine names it: FFmpeg's libraries in worker
    // processes, or one run of the ffmpeg program per file.
    enum class Converter { Builtin, Ffmpeg };

    QStringList paths;
    QString filesFrom;          // a file naming inputs, "-" for standard input; empty when none
    bool nullSeparated = false; // the names in filesFrom end with NUL, not a line feed
    QStringList listedFiles;    // the names read from filesFrom, taken as files
    QString extension = QStringLiteral("m4a");
    QString rateToken;                              // empty: each input's own rate
    QString fallbackToken = QStringLiteral("128k"); // when an input's rate is unknown
    QString outputFolder;                           // empty: beside each source
    int jobs = 1;
    Converter converter = Converter::Builtin;
    transcode::Container container = transcode::Container::Ac3;
    bool keepTree = false;
    bool skipExisting = false;
    bool dryRun = false;
    bool help = false;
    bool version = false;
};

// The outcome of reading the arguments: the options, or a one-line usage
// error that names the wrong argument.
struct ParsedOptions
{
    BatchOptions options;
    QString error;
};

// Reads the arguments that follow "convert". defaultJobs is used when --jobs
// is not given.
ParsedOptions parseBatchOptions(const QStringList& arguments, int defaultJobs);

// The rate token for a rate the user typed: "192", "192k" and "192 kbps" all
// give "192k". Empty when the text is not a positive number of kilobits.
QString rateTokenFromText(const QString& text);

// The text of --help.
QString batchUsage();

} // namespace plumark
