#include "batch/FileListInput.h"

#include "engine/Paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

QStringList readFileList(const QString& file, bool nullSeparated, QString& problem)
{
    const bool standardInput = file == QLatin1String("-");
    const int fd =
        standardInput ? STDIN_FILENO : ::open(nativePath(file).constData(), O_RDONLY | O_CLOEXEC);
    QByteArray text;
    char buffer[64 * 1024];
    ssize_t count = 0;
    if (fd >= 0) {
        while ((count = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (count > 0)
                text.append(buffer, count);
            else if (errno != EINTR)
                break;
        }
    }
    const int error = fd < 0 || count < 0 ? errno : 0;
    if (fd >= 0 && !standardInput)
        ::close(fd);
    if (error) {
        problem = QString::fromLocal8Bit(std::strerror(error));
        return {};
    }

    QStringList paths;
    for (const QByteArray& name : text.split(nullSeparated ? '\0' : '\n'))
        if (!name.isEmpty())
            paths.append(pathFromNative(name));
    return paths;
}

} // namespace plumark
