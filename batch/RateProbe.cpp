#include "batch/RateProbe.h"

#include "engine/BitRate.h"
#include "engine/Paths.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

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

// The extension the probe tells the file's kind by, when it is a plain one.
QByteArray plainExtension(const QByteArray& path)
{
    static const QRegularExpression plain(QStringLiteral("\\.[A-Za-z0-9]{1,10}$"));
    const QString name = QString::fromLatin1(path.mid(path.lastIndexOf('/') + 1));
    const QRegularExpressionMatch match = plain.match(name);
    return match.hasMatch() ? match.captured().toLatin1() : QByteArray();
}

} // namespace

RateProbe::RateProbe(QString probePath, QString fallbackToken, QString linkFolder, int waitMs,
                     QString unavailable)
    : m_probePath(std::move(probePath)), m_fallbackToken(std::move(fallbackToken)),
      m_linkFolder(std::move(linkFolder)), m_waitMs(waitMs), m_unavailable(std::move(unavailable))
{
}

RateProbe::~RateProbe()
{
    dropLink();
    end(true);
}

void RateProbe::ask(const QString& inputPath)
{
    m_asking = true;
    m_early.reset();
    if (!m_unavailable.isEmpty()) {
        m_early = Result{{}, {}, m_unavailable};
        return;
    }
    QByteArray path = nativePath(inputPath);
    // A name that cannot be passed as a line reaches the probe through a
    // link of a plain name.
    if (!passesAsLine(path)) {
        m_link = nativePath(m_linkFolder) + "/input-" + QByteArray::number(m_request + 1) +
                 plainExtension(path);
        const QByteArray target = nativePath(QFileInfo(inputPath).absoluteFilePath());
        if (!passesAsLine(m_link) || ::symlink(target.constData(), m_link.constData()) != 0) {
            m_link.clear();
            m_early = fallback(QStringLiteral("the name could not be passed to the rate probe"));
            return;
        }
        path = m_link;
    }
    QString problem;
    if (!ensureRunning(problem)) {
        dropLink();
        m_early = fallback(problem);
        return;
    }
    // The number comes back in the "{ready<number>}" line that ends the report.
    const QByteArray number = QByteArray::number(++m_request);
    m_process->write(path + "\n-execute" + number + "\n");
    m_clock.start();
}

std::optional<RateProbe::Result> RateProbe::poll()
{
    if (!m_asking)
        return std::nullopt;
    if (m_early) {
        m_asking = false;
        return std::exchange(m_early, std::nullopt);
    }
    m_process->waitForReadyRead(0);
    m_pending += m_process->readAllStandardOutput();
    const QByteArray ready = "{ready" + QByteArray::number(m_request) + "}\n";
    const qsizetype at = m_pending.indexOf(ready);
    std::optional<Result> result;
    if (at >= 0 && (at == 0 || m_pending[at - 1] == '\n')) {
        const QString found = rateFromProbeReport(QString::fromUtf8(m_pending.left(at)));
        m_pending.remove(0, at + ready.size());
        result = found.isEmpty() ? fallback({}) : Result{found + QLatin1Char('k'), {}, {}};
    } else if (m_process->state() == QProcess::NotRunning) {
        result =
            fallback(QStringLiteral("the rate probe ended while reading this file (%1)")
                         .arg(m_process->exitStatus() == QProcess::CrashExit
                                  ? QStringLiteral("crashed")
                                  : QStringLiteral("exit code %1").arg(m_process->exitCode())));
        end(false);
    } else if (m_clock.elapsed() >= m_waitMs) {
        result = fallback(
            QStringLiteral("the rate probe gave no answer within %1 s").arg(m_waitMs / 1000.0));
        end(false);
    }
    if (result) {
        m_asking = false;
        dropLink();
    }
    return result;
}

void RateProbe::cancel()
{
    if (!m_asking)
        return;
    m_asking = false;
    m_early.reset();
    end(false);
    dropLink();
}

RateProbe::Result RateProbe::rateFor(const QString& inputPath,
                                     const std::function<bool()>& stopRequested)
{
    ask(inputPath);
    for (;;) {
        if (std::optional<Result> result = poll())
            return *result;
        if (stopRequested && stopRequested()) {
            cancel();
            return fallback(QStringLiteral("stopped while the rate probe read this file"));
        }
        m_process->waitForReadyRead(SliceMs);
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

void RateProbe::dropLink()
{
    if (!m_link.isEmpty())
        ::unlink(m_link.constData());
    m_link.clear();
}

} // namespace plumark
