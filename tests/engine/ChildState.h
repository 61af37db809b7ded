#pragma once

#include <QFile>
#include <QThread>
#include <sys/types.h>

namespace plumark::test {

// The state letter of a process from /proc ('R', 'S', 'Z', ...), or 0 when
// no such process exists.
inline char processState(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end >= 0 && end + 2 < line.size() ? line.at(end + 2) : 0;
}

// Waits up to ten seconds for a process to reach the state; true when it did.
inline bool waitForState(pid_t pid, char state)
{
    for (int i = 0; i < 1000; ++i) {
        if (processState(pid) == state)
            return true;
        QThread::msleep(10);
    }
    return false;
}

} // namespace plumark::test
