#include "batch/ContainerCommand.h"

#include "transcode/InputFormats.h"

namespace plumark {

QStringList converterOptionsFor(transcode::Container container)
{
    switch (container) {
    case transcode::Container::Mp4:
        return {QStringLiteral("-c:v"), QStringLiteral("copy")};
    case transcode::Container::Matroska:
        return {QStringLiteral("-vn")};
    case transcode::Container::Ac3:
        break;
    }
    return {};
}

bool converterWritesWhole(transcode::Container container)
{
    return container != transcode::Container::Matroska;
}

CommandLine batchConverterCommand(const QString& converterPath, const QString& inputPath,
                                  const QString& rateToken, const QString& outputPath,
                                  transcode::Container container, const QStringList& outputOptions)
{
    // The protocols cover the input alone; "pipe" and "fd" name a
    // descriptor handed over, never a file of the input's choosing.
    const QStringList inputOptions{
        QStringLiteral("-protocol_whitelist"),
        QString::fromLatin1(transcode::inputProtocolList()) + QStringLiteral(",pipe,fd"),
        QStringLiteral("-format_whitelist"), QString::fromLatin1(transcode::musicFormatList())};
    return converterCommand(converterPath, inputPath, rateToken, outputPath,
                            converterOptionsFor(container) + outputOptions, inputOptions);
}

} // namespace plumark
