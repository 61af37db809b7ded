#include "batch/ProgressEstimate.h"

#include <algorithm>
#include <cmath>

namespace plumark {

double estimateRemaining(double elapsed, const QList<double>& finishedDurations,
                         const QList<RunningFile>& running, int notStarted)
{
    double processed = 0;
    double known = 0;
    int knownCount = 0;
    for (double duration : finishedDurations) {
        if (duration > 0) {
            processed += duration;
            known += duration;
            ++knownCount;
        }
    }
    for (const RunningFile& file : running) {
        processed += std::max(file.position, 0.0);
        if (file.duration > 0) {
            known += file.duration;
            ++knownCount;
        }
    }
    if (processed <= 0 || elapsed <= 0 || knownCount == 0)
        return -1;

    const double average = known / knownCount;
    double left = notStarted * average;
    for (const RunningFile& file : running) {
        const double length = file.duration > 0 ? file.duration : average;
        left += std::max(length - file.position, 0.0);
    }
    return left / (processed / elapsed);
}

QString earlyEndText(double endedAt, double declaredLength)
{
    if (clockText(declaredLength) == clockText(endedAt))
        return QStringLiteral("input ends early: its data is cut at %1").arg(clockText(endedAt));
    return QStringLiteral("input ends early: %1 of %2")
        .arg(clockText(endedAt), clockText(declaredLength));
}

QString clockText(double seconds)
{
    const qint64 total = std::llround(std::max(seconds, 0.0));
    const qint64 hours = total / 3600;
    const qint64 minutes = total / 60 % 60;
    const qint64 rest = total % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

} // namespace plumark
