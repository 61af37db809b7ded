#include "batch/ContainerCommand.h"

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

} // namespace plumark
