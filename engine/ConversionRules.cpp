#include "engine/ConversionRules.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace plumark {

QString outputPathFor(const QString& inputPath, const QString& outputFolder, PathStyle style)
{
    const QString folder = outputFolder.isEmpty() ? ParentFolder(inputPath, style) : outputFolder;
    const QString baseName = StripExtension(FileNameOf(inputPath, style));
    return CollapseBackslashes(folder + separator(style) + baseName + QStringLiteral(".ac3"),
                               style);
}

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QCoreApplication::translate("Conversion", "a folder");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("Conversion", "a named pipe (FIFO)");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("Conversion", "a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QCoreApplication::translate("Conversion", "a device");
    return QCoreApplication::translate("Conversion", "not a regular file");
}

} // namespace

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
    struct stat input;
    if (inputPath.isEmpty() || ::stat(nativePath(inputPath).constData(), &input) != 0) {
        const int error = inputPath.isEmpty() ? ENOENT : errno;
        if (error == ENOENT || error == ENOTDIR)
            return QCoreApplication::translate("Conversion", "The file does not exist.");
        return QCoreApplication::translate("Conversion", "The file cannot be read: %1.")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
    if (!S_ISREG(input.st_mode))
        return QCoreApplication::translate("Conversion", "This is %1, not a regular file.")
            .arg(kindOf(input.st_mode));

    struct stat output;
    if (!outputPath.isEmpty() && ::stat(nativePath(outputPath).constData(), &output) == 0 &&
        output.st_dev == input.st_dev && output.st_ino == input.st_ino)
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

// Closing lines the converter adds after the line that names the cause.
bool isSummaryLine(const QString& line)
{
    return line == QLatin1String("Conversion failed!") ||
           line.startsWith(QLatin1String("Error submitting ")) ||
           (line.startsWith(QLatin1String("video:")) && line.contains(QLatin1String(" audio:")));
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
    QString lastLine;
    QString lastProgressFree;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (line.isEmpty())
            continue;
        if (lastLine.isEmpty())
            lastLine = line;
        if (isProgressLine(line))
            continue;
        if (!isSummaryLine(line))
            return line;
        if (lastProgressFree.isEmpty())
            lastProgressFree = line;
    }
    return lastProgressFree.isEmpty() ? lastLine : lastProgressFree;
}

QString conversionFailureReason(qint32 exitCode, const QString& outputPath,
                                const QString& errorLine)
{
    if (exitCode < 0) {
        // A start failure is the runtime's error number plus 0x80040000.
        const qint64 number = qint64(exitCode) - qint64(qint32(0x80040000u));
        const QString cause =
            number == 53   ? QCoreApplication::translate("Conversion", "file not found")
            : number == 70 ? QCoreApplication::translate("Conversion", "permission denied")
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
        return QCoreApplication::translate("Conversion", "The converter wrote no output file.");
    if (output.st_size == 0)
        return QCoreApplication::translate("Conversion", "The converter wrote an empty file.");
    return {};
}

} // namespace plumark
