#include "batch/Summary.h"

#include "batch/ProgressEstimate.h"

#include <QStringList>
#include <cmath>

namespace plumark {

double askedKbps(const QString& rateToken)
{
    QString number = rateToken.trimmed();
    if (number.endsWith(QLatin1Char('k'), Qt::CaseInsensitive))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0;
}

QString summaryText(const QList<BatchJob>& jobs, double seconds, bool stopped)
{
    int converted = 0;
    int skipped = 0;
    int notStarted = 0;
    QStringList failures;
    QStringList changedRates;
    for (const BatchJob& job : jobs) {
        switch (job.state) {
        case BatchJob::State::Converted: {
            ++converted;
            const double asked = askedKbps(job.rateToken);
            if (job.resultKbps > 0 && asked > 0 && std::abs(asked - job.resultKbps) > 1e-9)
                changedRates.append(QStringLiteral("  %1: %2k (asked %3)")
                                        .arg(job.output)
                                        .arg(job.resultKbps)
                                        .arg(job.rateToken));
            break;
        }
        case BatchJob::State::Skipped:
            ++skipped;
            break;
        case BatchJob::State::NotStarted:
            ++notStarted;
            break;
        default:
            failures.append(QStringLiteral("  %1: %2").arg(job.input, job.reason));
            break;
        }
    }

    QStringList lines;
    if (stopped)
        lines.append(QStringLiteral("Stopped."));
    lines.append(QStringLiteral("Converted: %1 of %2").arg(converted).arg(jobs.size()));
    if (skipped > 0)
        lines.append(QStringLiteral("Skipped: %1 (the result already exists)").arg(skipped));
    if (converted == 0 && skipped > 0 && skipped == jobs.size())
        lines.append(QStringLiteral("Nothing to convert: every result already exists."));
    if (!failures.isEmpty()) {
        lines.append(QStringLiteral("Not converted: %1").arg(failures.size()));
        lines += failures;
    }
    if (notStarted > 0)
        lines.append(QStringLiteral("Not started: %1").arg(notStarted));
    if (!changedRates.isEmpty()) {
        lines.append(QStringLiteral("Converted at another rate than asked (the AC3 encoder "
                                    "allows only certain rates):"));
        lines += changedRates;
    }
    lines.append(QStringLiteral("Time: %1 (%2 s)").arg(clockText(seconds)).arg(seconds, 0, 'f', 1));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace plumark
