#include "batch/RateProbe.h"

#include "engine/BitRate.h"
#include "engine/CommandLine.h"
#include "engine/CommandOutput.h"
#include "engine/Paths.h"

#include <QElapsedTimer>
#include <csignal>
#include <sys/prctl.h>

namespace plumark {

namespace {

// How long one look at the probe's output waits before a stop is checked.
constexpr int SliceMs = 100;
constexpr int EndWaitMs = 2000;

// The probe reads one argument a line and takes a line that starts with
// blanks, "#" or "-" for something else: only an absolute path without a
// line break can be passed this way.
bool passesAsLine(const QByteArray& path)
{
    return path.startsWith('/') && !path.contains('\n') && !path.contains('\r');
}

} // namespace

RateProbe::RateProbe(QString probePath, QString fallbackToken, int waitMs)
    : m_probePath(std::move(probePath)), m_fallbackToken(std::move(fallbackToken)), m_waitMs(waitMs)
{
}

RateProbe::~RateProbe()
{
    end(true);
}

RateProbe::Result RateProbe::rateFor(const QString& inputPath,
                                     const std::function<bool()>& stopRequested)
{
    const QByteArray path = nativePath(inputPath);
    QString problem;
    // A name that cannot be passed as a line gets a probe of its own.
    const QString text = passesAsLine(path) ? report(path, stopRequested, problem)
                                            : GetCommandOutput(probeCommand(m_probePath, inputPath),
                                                               true, false, true);
    const QString found = rateFromProbeReport(text);
    if (!found.isEmpty())
        return {found + QLatin1Char('k'), {}};
    return {m_fallbackToken, problem};
}

QString RateProbe::report(const QByteArray& path, const std::function<bool()>& stopRequested,
                          QString& problem)
{
    if (!ensureRunning(problem))
        return {};
    // The number comes back in the "{ready<number>}" line that ends the report.
    const QByteArray number = QByteArray::number(++m_request);
    const QByteArray ready = "{ready" + number + "}\n";
    m_process->write(path + "\n-execute" + number + "\n");

    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qsizetype at = m_pending.indexOf(ready);
        if (at >= 0 && (at == 0 || m_pending[at - 1] == '\n')) {
            const QByteArray text = m_pending.left(at);
            m_pending.remove(0, at + ready.size());
            return QString::fromUtf8(text);
        }
        if (m_process->state() == QProcess::NotRunning) {
            problem = QStringLiteral("the rate probe ended while reading this file (%1)")
                          .arg(m_process->exitStatus() == QProcess::CrashExit
                                   ? QStringLiteral("crashed")
                                   : QStringLiteral("exit code %1").arg(m_process->exitCode()));
            end(false);
            return {};
        }
        if (stopRequested && stopRequested()) {
            problem = QStringLiteral("stopped while the rate probe read this file");
            end(false);
            return {};
        }
        if (clock.elapsed() >= m_waitMs) {
            problem =
                QStringLiteral("the rate probe gave no answer within %1 s").arg(m_waitMs / 1000.0);
            end(false);
            return {};
        }
        m_process->waitForReadyRead(SliceMs);
        m_pending += m_process->readAllStandardOutput();
    }
}

bool RateProbe::ensureRunning(QString& problem)
{
    if (m_process)
        return true;
    m_pending.clear();
    m_process = std::make_unique<QProcess>();
    m_process->setStandardErrorFile(QProcess::nullDevice());
    // A probe whose batch is gone would wait for requests forever.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process->start(m_probePath, {QStringLiteral("-stay_open"), QStringLiteral("True"),
                                   QStringLiteral("-@"), QStringLiteral("-")});
    if (m_process->waitForStarted())
        return true;
    problem =
        QStringLiteral("the rate probe could not be started: %1").arg(m_process->errorString());
    m_process.reset();
    return false;
}

void RateProbe::end(bool askFirst)
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        if (askFirst) {
            m_process->write("-stay_open\nFalse\n");
            m_process->closeWriteChannel();
        }
        if (!askFirst || !m_process->waitForFinished(EndWaitMs)) {
            m_process->kill();
            m_process->waitForFinished(EndWaitMs);
        }
    }
    m_process.reset();
}

} // namespace plumark
