#include "engine/CommandLine.h"

namespace plumark {

CommandLine converterCommand(const QString& converterPath, const QString& inputPath,
                             const QString& rateToken, const QString& outputPath,
                             const QStringList& outputOptions)
{
    CommandLine command;
    QString options;
    for (const QString& option : outputOptions)
        options += QLatin1Char(' ') + option;
    command.text = quoted(converterPath) + QStringLiteral(" -i ") + quoted(inputPath) + options +
                   QStringLiteral(" -ab ") + rateToken + QStringLiteral(" -acodec ac3 ") +
                   quoted(outputPath);
    command.argv = QStringList{converterPath, QStringLiteral("-i"), inputPath} + outputOptions +
                   QStringList{QStringLiteral("-ab"), rateToken, QStringLiteral("-acodec"),
                               QStringLiteral("ac3"), outputPath};
    return command;
}

CommandLine probeCommand(const QString& probePath, const QString& inputPath)
{
    return {quoted(probePath) + QLatin1Char(' ') + quoted(inputPath), {probePath, inputPath}};
}

} // namespace plumark
