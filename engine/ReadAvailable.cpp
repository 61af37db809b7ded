#include "engine/ReadAvailable.h"

#include <cerrno>
#include <unistd.h>

namespace plumark {

bool readAvailable(int fd, const std::function<bool(const QByteArray& chunk)>& take)
{
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false; // nothing more for now
        if (count == 0)
            return true;
        if (!take(QByteArray(buffer, count)))
            return false;
    }
}

} // namespace plumark
