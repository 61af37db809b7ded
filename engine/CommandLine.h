#pragma once

#include <QString>
#include <QStringList>

namespace plumark {

// A child's command line in two forms built side by side: the text, as the
// user and the tests see it, and the argument vector the child is started
// from. The text is never split and no shell ever reads it, so a path holding
// quotes, "$", backticks or newlines reaches the child unchanged.
struct CommandLine
{
    QString text;
    QStringList argv; // argv[0] is the program
};

// The text wrapped in double quotes, nothing escaped.
inline QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The converter's command line for one file:
// "<converter>" [<input options>] -i "<input>" [<output options>] -ab <rate>
// -acodec ac3 "<output>"
// The options are words without spaces ("-c:v", "copy").
CommandLine converterCommand(const QString& converterPath, const QString& inputPath,
                             const QString& rateToken, const QString& outputPath,
                             const QStringList& outputOptions = {},
                             const QStringList& inputOptions = {});

// The probe's command line: "<probe>" "<input>"
CommandLine probeCommand(const QString& probePath, const QString& inputPath);

} // namespace plumark
