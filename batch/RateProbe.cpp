#include "batch/RateProbe.h"

#include "engine/BitRate.h"
#include "engine/Paths.h"
#include "engine/ReadAvailable.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
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

// Writes all of bytes to the probe's input; a probe that has ended raises no
// SIGPIPE here, its end is noticed when its answer is looked for.
void sendAll(int fd, QByteArray bytes)
{
    while (fd >= 0 && !bytes.isEmpty()) {
        const ssize_t sent = ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        bytes.remove(0, sent);
    }
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
    sendAll(m_requestFd.get(), path + "\n-execute" + number + "\n");
    m_child.expectProgress();
}

std::optional<RateProbe::Result> RateProbe::poll()
{
    if (!m_asking)
        return std::nullopt;
    if (m_early) {
        m_asking = false;
        return std::exchange(m_early, std::nullopt);
    }
    const bool closed = readAvailable(m_reportFd.get(), [&](const QByteArray& bytes) {
        m_pending += bytes;
        return true;
    });
    const QByteArray ready = "{ready" + QByteArray::number(m_request) + "}\n";
    const qsizetype at = m_pending.indexOf(ready);
    std::optional<Result> result;
    if (at >= 0 && (at == 0 || m_pending[at - 1] == '\n')) {
        const QString found = rateFromProbeReport(QString::fromUtf8(m_pending.left(at)));
        m_pending.remove(0, at + ready.size());
        result = found.isEmpty() ? fallback({}) : Result{found + QLatin1Char('k'), {}, {}};
        m_child.rest();
    } else if (closed || m_child.poll()) {
        // Its output closes as it ends: its status follows at once.
        m_child.waitFor(int(m_child.supervision().killWait.count()));
        const std::optional<int> status = m_child.exitStatus();
        result =
            fallback(QStringLiteral("the rate probe ended while reading this file (%1)")
                         .arg(status && *status < 128 ? QStringLiteral("exit code %1").arg(*status)
                                                      : QStringLiteral("crashed")));
        end(false);
    } else if (m_child.endIfStalled()) {
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
        pollfd watched{m_reportFd.get(), POLLIN, 0};
        ::poll(&watched, 1, SliceMs);
    }
}

bool RateProbe::ensureRunning(QString& problem)
{
    if (m_reportFd.valid())
        return true;
    m_pending.clear();
    int requests[2];
    int reports[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requests) != 0) {
        problem = QStringLiteral("the rate probe could not be started: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (::pipe2(reports, O_CLOEXEC) != 0) {
        problem = QStringLiteral("the rate probe could not be started: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(requests[0]);
        ::close(requests[1]);
        return false;
    }
    // A probe whose batch is gone would wait for requests forever.
    ChildSetup setup;
    setup.stdinFd = requests[1];
    setup.stdoutFd = reports[1];
    setup.lifetime = ChildSetup::Lifetime::EndsWithThisProcess;
    setup.capMemory = true;
    Supervision supervision;
    supervision.stallLimit = std::chrono::milliseconds(m_waitMs);
    m_child.supervise(supervision);
    const int error =
        m_child.start({m_probePath, QStringLiteral("-stay_open"), QStringLiteral("True"),
                       QStringLiteral("-@"), QStringLiteral("-")},
                      setup);
    ::close(requests[1]);
    ::close(reports[1]);
    m_requestFd.reset(requests[0]);
    m_reportFd.reset(reports[0]);
    ::fcntl(m_reportFd.get(), F_SETFL, ::fcntl(m_reportFd.get(), F_GETFL) | O_NONBLOCK);
    if (!error)
        return true;
    closeFds();
    problem = QStringLiteral("the rate probe could not be started: %1")
                  .arg(QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

void RateProbe::end(bool askFirst)
{
    if (m_child.running()) {
        if (askFirst) {
            sendAll(m_requestFd.get(), "-stay_open\nFalse\n");
            m_requestFd.reset();
        }
        if (!askFirst || !m_child.waitFor(EndWaitMs))
            m_child.stop();
    }
    closeFds();
    // One that outlived its stop is reaped when it ends; the next file gets
    // a fresh probe.
    m_child = ChildProcess();
}

void RateProbe::closeFds()
{
    m_requestFd.reset();
    m_reportFd.reset();
}

void RateProbe::dropLink()
{
    if (!m_link.isEmpty())
        ::unlink(m_link.constData());
    m_link.clear();
}

} // namespace plumark
