#include "batch/ProgressDisplay.h"

#include "batch/ProgressEstimate.h"

#include "engine/Paths.h"

#include <QStringList>
#include <cmath>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace plumark {

namespace {

int terminalColumns(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

QString lineFor(const ProgressSnapshot& snapshot)
{
    QStringList current;
    for (const RunningFile& file : snapshot.running) {
        QString text = printableName(FileNameOf(file.name));
        if (file.duration > 0)
            text += QStringLiteral(" %1%").arg(
                std::lround(std::min(file.position / file.duration, 1.0) * 100));
        current.append(text);
    }
    QString line = QStringLiteral("%1/%2 done").arg(snapshot.done).arg(snapshot.total);
    if (!current.isEmpty())
        line += QStringLiteral(" | ") + current.join(QStringLiteral(", "));
    line += QStringLiteral(" | %1 elapsed").arg(clockText(snapshot.elapsed));
    if (snapshot.remaining >= 0)
        line += QStringLiteral(", about %1 left").arg(clockText(snapshot.remaining));
    return line;
}

} // namespace

ProgressDisplay::ProgressDisplay(int terminalFd) : m_terminalFd(terminalFd) {}

int ProgressDisplay::findTerminal()
{
    if (::isatty(STDERR_FILENO))
        return STDERR_FILENO;
    if (::isatty(STDOUT_FILENO))
        return STDOUT_FILENO;
    return -1;
}

void ProgressDisplay::show(const ProgressSnapshot& snapshot)
{
    if (!onTerminal())
        return;
    // One column is kept free so that the line never wraps.
    const QString line = printablePath(lineFor(snapshot)).left(terminalColumns(m_terminalFd) - 1);
    write("\r\033[K" + line.toUtf8());
    m_drawn = true;
}

void ProgressDisplay::fileFinished(const BatchJob& job, int done, int total)
{
    if (onTerminal())
        return;
    const QString count = QStringLiteral("[%1/%2] ").arg(done).arg(total);
    const QString input = printableName(job.input);
    const QString reason = printableName(job.reason);
    QString line;
    switch (job.state) {
    case BatchJob::State::Converted:
        line = count + QStringLiteral("Converted: %1 -> %2").arg(input, printableName(job.output));
        if (job.endedAt >= 0)
            line += QStringLiteral(" (%1)").arg(earlyEndText(job.endedAt, job.declaredLength));
        break;
    case BatchJob::State::Skipped:
        line = count + QStringLiteral("Skipped: %1: %2").arg(input, reason);
        break;
    default:
        line = count + QStringLiteral("Not converted: %1: %2").arg(input, reason);
        break;
    }
    std::fputs((printablePath(line) + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void ProgressDisplay::clear()
{
    if (m_drawn)
        write("\r\033[K");
    m_drawn = false;
}

void ProgressDisplay::write(const QByteArray& bytes)
{
    // Standard output may be the same terminal: what it holds goes first.
    std::fflush(stdout);
    qsizetype offset = 0;
    while (offset < bytes.size()) {
        const ssize_t written =
            ::write(m_terminalFd, bytes.constData() + offset, size_t(bytes.size() - offset));
        if (written <= 0)
            return;
        offset += written;
    }
}

} // namespace plumark
