#include "batch/MakeFolder.h"

#include "engine/Paths.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace plumark {

QString makeFolderPath(const QString& folder)
{
    const QByteArray path = nativePath(folder);
    // Each prefix that ends before a separator, then the whole path.
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const QByteArray part = path.left(end);
        struct stat st;
        if (::stat(part.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            return QStringLiteral("\"%1\" is a file, not a folder").arg(pathFromNative(part));
        }
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return QStringLiteral("\"%1\" could not be made: %2")
                .arg(pathFromNative(part), QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

} // namespace plumark
