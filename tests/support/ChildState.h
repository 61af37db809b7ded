#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QThread>
#include <sys/types.h>
#include <unistd.h>

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

// Whether a process is gone, or has ended and waits only to be reaped.
inline bool goneOrZombie(pid_t pid)
{
    const char state = processState(pid);
    return state == 0 || state == 'Z';
}

// The processes whose parent is this process, from /proc.
inline QList<pid_t> childrenOfThisProcess()
{
    QList<pid_t> children;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toInt() <= 0 || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // After the name in parentheses: the state, then the parent's id.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self.toLatin1())
            children.append(entry.toInt());
    }
    return children;
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
