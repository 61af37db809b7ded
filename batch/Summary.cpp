#include "batch/Summary.h"

#include "batch/ProgressEstimate.h"
#include "engine/Paths.h"

#include <QMap>
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

namespace {

// "128k x 812, 256k x 150", by rate.
QString ratesText(const QMap<int, int>& counts)
{
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts.append(QStringLiteral("%1k x %2").arg(it.key()).arg(it.value()));
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString summaryText(const QList<BatchJob>& jobs, double seconds, bool stopped,
                    const QString& askedRate)
{
    int converted = 0;
    int skipped = 0;
    int notStarted = 0;
    QStringList failures;
    QMap<int, int> rateCounts; // the results' rates, each with how many have it
    QStringList rateNotes;
    QStringList endedEarly;
    for (const BatchJob& job : jobs) {
        if (job.state == BatchJob::State::Converted && job.endedAt >= 0)
            endedEarly.append(
                QStringLiteral("  %1: %2")
                    .arg(printableName(job.input), earlyEndText(job.endedAt, job.declaredLength)));
        if (!job.rateNote.isEmpty())
            rateNotes.append(QStringLiteral("  %1: %2")
                                 .arg(printableName(job.input), printableName(job.rateNote)));
        switch (job.state) {
        case BatchJob::State::Converted: {
            ++converted;
            if (job.resultKbps > 0)
                ++rateCounts[job.resultKbps];
            break;
        }
        case BatchJob::State::Skipped:
            ++skipped;
            break;
        case BatchJob::State::NotStarted:
            ++notStarted;
            break;
        default:
            failures.append(QStringLiteral("  %1: %2")
                                .arg(printableName(job.input), printableName(job.reason)));
            break;
        }
    }

    QStringList lines;
    if (stopped)
        lines.append(QStringLiteral("Stopped."));
    lines.append(QStringLiteral("Converted: %1 of %2").arg(converted).arg(jobs.size()));
    if (!endedEarly.isEmpty()) {
        lines.append(
            QStringLiteral("Converted as far as the input goes: %1").arg(endedEarly.size()));
        lines += endedEarly;
    }
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
    if (askedRate.isEmpty()) {
        if (!rateCounts.isEmpty())
            lines.append(QStringLiteral("Rates: ") + ratesText(rateCounts));
    } else if (rateCounts.size() > 1 ||
               (rateCounts.size() == 1 &&
                std::abs(askedKbps(askedRate) - rateCounts.firstKey()) > 1e-9)) {
        const QString allowed = rateCounts.size() == 1
                                    ? QString::number(rateCounts.firstKey()) + QLatin1Char('k')
                                    : ratesText(rateCounts);
        lines.append(QStringLiteral("Rate: asked %1; AC3 allows %2").arg(askedRate, allowed));
    }
    if (!rateNotes.isEmpty()) {
        lines.append(QStringLiteral("Own rate not read, the fallback rate was asked:"));
        lines += rateNotes;
    }
    lines.append(QStringLiteral("Time: %1 (%2 s)").arg(clockText(seconds)).arg(seconds, 0, 'f', 1));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace plumark
