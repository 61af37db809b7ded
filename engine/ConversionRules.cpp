#include "engine/ConversionRules.h"

#include "base/InputGate.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace plumark {

QString outputPathFor(const QString& inputPath, const QString& outputFolder, PathStyle style)
{
    const QString folder = outputFolder.isEmpty() ? ParentFolder(inputPath, style) : outputFolder;
    const QString baseName = StripExtension(FileNameOf(inputPath, style));
    return CollapseBackslashes(folder + separator(style) + baseName + QStringLiteral(".ac3"),
                               style);
}

QString folderMissingText()
{
    return QCoreApplication::translate("Conversion",
                                       "Folder does not exist. Please select another folder.");
}

QString outputFolderRefusal(const QString& outputPath)
{
    if (outputPath.isEmpty() || !FolderExists(ParentFolder(outputPath)))
        return folderMissingText();
    return {};
}

QString refusalReason(const QString& inputPath, const QString& outputPath)
{
    const AdmittedInput input(nativePath(inputPath));
    if (!input.admitted())
        return input.reason();
    struct stat output;
    if (!outputPath.isEmpty() && ::stat(nativePath(outputPath).constData(), &output) == 0 &&
        output.st_dev == input.status().st_dev && output.st_ino == input.status().st_ino)
        return QCoreApplication::translate("Conversion",
                                           "The result would replace the input file.");
    return {};
}

namespace {

// A progress report of the converter, such as
// "size=  5kB time=00:00:01.01 bitrate=  40.2kbits/s speed= 202x".
bool isProgressLine(const QString& line)
{
    return line.startsWith(QLatin1String("size=")) && line.contains(QLatin1String("time="));
}

// A line without the tags ffmpeg puts before it ("[out#0/ac3 @ 0x55e6...] ").
QString withoutTags(const QString& line)
{
    static const QRegularExpression tags(QStringLiteral("^(\\[[^\\]]* @ 0x[0-9a-fA-F]+\\] *)+"));
    return QString(line).remove(tags);
}

// ffmpeg's note that the line before it came again: never a cause itself.
bool isRepeatLine(const QString& line)
{
    static const QRegularExpression repeat(QStringLiteral("^Last message repeated \\d+ times?$"));
    return repeat.match(line).hasMatch();
}

// The input's format is not among those the converter was let read (a
// playlist or manifest posing as a music file): the demuxer's name, else
// empty.
QString refusedFormat(const QString& line)
{
    static const QRegularExpression refused(
        QStringLiteral("^\\[([^\\] ]+) @ 0x[0-9a-fA-F]+\\] *Format not on whitelist"));
    return refused.match(line).captured(1);
}

// Lines the converter adds after the one that names the cause: they say only
// that the run failed, or repeat the cause in general terms. The wording is
// that of ffmpeg 5.1, 7.1 and 9.0.
bool isSummaryLine(const QString& line)
{
    static const QRegularExpression closing(QStringLiteral(
        "^(Conversion failed!|Error submitting .*|video:.* audio:.*"
        "|Output file is empty, nothing was encoded.*|Error opening (input|output) files?\\b.*"
        "|Error encoding a frame: .*|Task finished with error code.*"
        "|Terminating thread with return code.*"
        "|No filtered frames for output stream.*)$"));
    return closing.match(withoutTags(line)).hasMatch();
}

// The converter's description of an input or output and of its streams: the
// header line and the indented lines under it.
bool isHeaderStart(const QString& line)
{
    static const QRegularExpression header(
        QStringLiteral("^((Input|Output) #\\d+, .*|Stream mapping:|Press \\[q\\] to stop.*)$"));
    return header.match(line).hasMatch();
}

// The converter refuses to replace a file of the result's name; ffmpeg 7.1
// and later exit with 0 all the same.
bool isRefusalLine(const QString& line)
{
    return line.endsWith(QLatin1String("Not overwriting - exiting"));
}

// The converter says its result could not be written out, yet exits with 0
// (a full disk, for example): the result is cut short.
bool isWriteFailureLine(const QString& line)
{
    return line.startsWith(QLatin1String("Error writing trailer of ")) ||
           line.startsWith(QLatin1String("Error closing file "));
}

} // namespace

QString lastErrorLine(const QByteArray& errorOutput)
{
    static const QRegularExpression breaks(QStringLiteral("[\r\n]"));
    const QStringList lines = QString::fromUtf8(errorOutput).split(breaks, Qt::SkipEmptyParts);
    std::vector<bool> inHeader(size_t(lines.size()), false);
    for (qsizetype i = 0; i < lines.size(); ++i)
        inHeader[size_t(i)] = isHeaderStart(lines[i]) || (i > 0 && inHeader[size_t(i - 1)] &&
                                                          lines[i].startsWith(QLatin1Char(' ')));
    // Opening the input ends there; what follows only says it failed.
    for (const QString& line : lines) {
        const QString format = refusedFormat(line.trimmed());
        if (!format.isEmpty())
            return QCoreApplication::translate("Conversion",
                                               "The input is not an audio file but %1.")
                .arg(format);
    }
    QString lastLine;
    QString lastProgressFree;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || isRepeatLine(line))
            continue;
        if (lastLine.isEmpty())
            lastLine = line;
        if (isProgressLine(line) || inHeader[size_t(i)])
            continue;
        if (!isSummaryLine(line))
            return line;
        if (lastProgressFree.isEmpty())
            lastProgressFree = line;
    }
    return lastProgressFree.isEmpty() ? lastLine : lastProgressFree;
}

QString conversionFailureReason(qint32 exitCode, const QString& outputPath,
                                const QString& errorLine, int startError)
{
    if (exitCode < 0) {
        // A start failure is the runtime's error number plus 0x80040000.
        const qint64 number = qint64(exitCode) - qint64(qint32(0x80040000u));
        const QString cause =
            startError != 0 ? QString::fromLocal8Bit(std::strerror(startError))
            : number == 53  ? QCoreApplication::translate("Conversion", "file not found")
            : number == 70  ? QCoreApplication::translate("Conversion", "permission denied")
                            : QCoreApplication::translate("Conversion", "error %1").arg(number);
        return QCoreApplication::translate("Conversion", "The converter could not be started (%1).")
            .arg(cause);
    }
    if (exitCode != 0)
        return errorLine.isEmpty() ? QCoreApplication::translate(
                                         "Conversion", "The converter failed with exit code %1.")
                                         .arg(exitCode)
                                   : errorLine;
    if (isWriteFailureLine(errorLine))
        return errorLine;
    struct stat output;
    if (::stat(nativePath(outputPath).constData(), &output) != 0 || !S_ISREG(output.st_mode))
        return isRefusalLine(errorLine) ? errorLine
                                        : QCoreApplication::translate(
                                              "Conversion", "The converter wrote no output file.");
    if (output.st_size == 0)
        return QCoreApplication::translate("Conversion", "The converter wrote an empty file.");
    return {};
}

} // namespace plumark
