#include "transcode/Container.h"

namespace plumark::transcode {

QString containerExtension(Container container)
{
    switch (container) {
    case Container::Matroska:
        return QStringLiteral("mka");
    case Container::Mp4:
        return QStringLiteral("mp4");
    case Container::Ac3:
        break;
    }
    return QStringLiteral("ac3");
}

bool containerFromExtension(const QString& extension, Container* container)
{
    for (const Container known : {Container::Ac3, Container::Matroska, Container::Mp4}) {
        if (extension == containerExtension(known)) {
            *container = known;
            return true;
        }
    }
    return false;
}

const char* formatName(Container container)
{
    switch (container) {
    case Container::Matroska:
        return "matroska";
    case Container::Mp4:
        return "mp4";
    case Container::Ac3:
        break;
    }
    return "ac3";
}

Container containerOfResult(const QByteArray& path)
{
    const qsizetype dot = path.lastIndexOf('.');
    Container container = Container::Ac3;
    if (dot >= 0 && path.indexOf('/', dot) < 0)
        containerFromExtension(QString::fromUtf8(path.mid(dot + 1)), &container);
    return container;
}

} // namespace plumark::transcode
