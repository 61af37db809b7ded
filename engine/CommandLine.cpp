#include "engine/CommandLine.h"

namespace plumark {

namespace {

// The words, each after a blank.
QString joined(const QStringList& words)
{
    QString text;
    for (const QString& word : words)
        text += QLatin1Char(' ') + word;
    return text;
}

} // namespace

CommandLine converterCommand(const QString& converterPath, const QString& inputPath,
                             const QString& rateToken, const QString& outputPath,
                             const QStringList& outputOptions, const QStringList& inputOptions)
{
    CommandLine command;
    command.text = quoted(converterPath) + joined(inputOptions) + QStringLiteral(" -i ") +
                   quoted(inputPath) + joined(outputOptions) + QStringLiteral(" -ab ") + rateToken +
                   QStringLiteral(" -acodec ac3 ") + quoted(outputPath);
    command.argv = QStringList{converterPath} + inputOptions +
                   QStringList{QStringLiteral("-i"), inputPath} + outputOptions +
                   QStringList{QStringLiteral("-ab"), rateToken, QStringLiteral("-acodec"),
                               QStringLiteral("ac3"), outputPath};
    return command;
}

CommandLine probeCommand(const QString& probePath, const QString& inputPath)
{
    return {quoted(probePath) + QLatin1Char(' ') + quoted(inputPath), {probePath, inputPath}};
}

} // namespace plumark
