#include "batch/Scheduler.h"

#include "batch/Ac3Header.h"
#include "batch/ConverterOutput.h"
#include "batch/MakeFolder.h"
#include "engine/ChildProcess.h"
#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/OutputClaims.h"
#include "engine/Paths.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace plumark {

namespace {

constexpr int RedrawMs = 200;
// How long a converter that closed its error output gets to end at each look.
constexpr int EndingWaitMs = 20;
// How often converters that closed their error output early are looked at.
constexpr int PollMs = 100;
constexpr int TerminateWaitMs = 5000;
constexpr int KillWaitMs = 2000;

} // namespace

struct Scheduler::Running
{
    int index = -1;
    QString inputKey;
    QString outputKey;
    ChildProcess child;
    int errorFd = -1;
    LineSplitter lines;
    ConverterProgress progress;
    OutputTail tail;

    ~Running() { closeOutput(); }

    void closeOutput()
    {
        if (errorFd >= 0)
            ::close(errorFd);
        errorFd = -1;
    }

    // Reads what the converter has written so far; closes the pipe at its end.
    void readOutput()
    {
        char buffer[16 * 1024];
        while (errorFd >= 0) {
            const ssize_t count = ::read(errorFd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                return; // nothing more for now
            if (count == 0) {
                for (const QString& line : lines.finish())
                    progress.readLine(line);
                closeOutput();
                return;
            }
            const QByteArray bytes(buffer, count);
            tail.append(bytes);
            for (const QString& line : lines.feed(bytes))
                progress.readLine(line);
        }
    }
};

Scheduler::Scheduler(QList<BatchJob>& jobs, Setup setup, ProgressDisplay& display)
    : m_jobs(jobs), m_setup(std::move(setup)), m_display(display)
{
    m_setup.jobs = std::max(1, m_setup.jobs);
}

Scheduler::~Scheduler() = default;

bool Scheduler::run()
{
    m_clock.start();
    const int count = int(m_jobs.size());
    m_next = 0;
    for (;;) {
        if (m_setup.stopRequested && m_setup.stopRequested()) {
            stopAll(m_next);
            return false;
        }
        while (m_next < count && int(m_running.size()) < m_setup.jobs) {
            BatchJob& job = m_jobs[m_next];
            if (job.state != BatchJob::State::Pending) {
                // Skipped or refused when the batch was planned.
                ++m_done;
                m_display.fileFinished(job, m_done, count);
            } else {
                if (conflictsWithRunning(job))
                    break;
                start(m_next);
            }
            ++m_next;
        }
        if (m_running.empty() && m_next >= count)
            break;

        // While every converter slot is taken, the next file's rate is found
        // so that it can start as soon as one is free. A file the run will
        // refuse is never probed: the probe would wait forever on a FIFO or
        // read a device without end.
        if (m_next < count && m_next != m_probedAhead && m_setup.findRate) {
            BatchJob& next = m_jobs[m_next];
            if (next.state == BatchJob::State::Pending && next.rateToken.isEmpty() &&
                refusalReason(next.input, next.output).isEmpty()) {
                m_probedAhead = m_next;
                m_setup.findRate(next);
                continue;
            }
        }
        waitForOutput();
        reapEnded();
        showProgress(false);
    }
    showProgress(true);
    return true;
}

bool Scheduler::conflictsWithRunning(const BatchJob& job) const
{
    const QString inputKey = fileKey(job.input);
    const QString outputKey = fileKey(job.output);
    return std::any_of(m_running.begin(), m_running.end(), [&](const auto& running) {
        return running->outputKey == outputKey || running->outputKey == inputKey ||
               running->inputKey == outputKey;
    });
}

void Scheduler::start(int index)
{
    BatchJob& job = m_jobs[index];
    if (!job.folderToMake.isEmpty()) {
        const QString problem = makeFolderPath(job.folderToMake);
        if (!problem.isEmpty()) {
            endJob(job, BatchJob::State::NotConverted,
                   QStringLiteral("The folder %1.").arg(problem));
            return;
        }
    }
    QString refusal = outputFolderRefusal(job.output);
    if (refusal.isEmpty())
        refusal = refusalReason(job.input, job.output);
    if (!refusal.isEmpty()) {
        endJob(job, BatchJob::State::NotConverted, refusal);
        return;
    }
    DeleteFileQuietly(job.output);
    if (job.rateToken.isEmpty() && m_setup.findRate)
        m_setup.findRate(job);
    const CommandLine command =
        converterCommand(m_setup.converterPath, job.input, job.rateToken, job.output);

    auto running = std::make_unique<Running>();
    running->index = index;
    running->inputKey = fileKey(job.input);
    running->outputKey = fileKey(job.output);
    int fds[2];
    int error = ::pipe2(fds, O_CLOEXEC) == 0 ? 0 : errno;
    if (!error) {
        running->errorFd = fds[0];
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        error = running->child.start(command.argv, -1, fds[1]);
        ::close(fds[1]);
    }
    if (error) {
        endJob(job, BatchJob::State::NotConverted,
               conversionFailureReason(startFailureCode(error), job.output, {}));
        DeleteFileQuietly(job.output);
        return;
    }
    job.state = BatchJob::State::Running;
    m_running.push_back(std::move(running));
}

void Scheduler::finish(Running& running)
{
    BatchJob& job = m_jobs[running.index];
    running.readOutput();
    job.duration = running.progress.duration();
    const QString reason = conversionFailureReason(running.child.exitCode(), job.output,
                                                   lastErrorLine(running.tail.bytes()));
    if (!reason.isEmpty()) {
        // A failed conversion leaves no empty or truncated result behind.
        DeleteFileQuietly(job.output);
        endJob(job, BatchJob::State::NotConverted, reason);
        return;
    }
    job.resultKbps = readAc3Header(job.output).bitRateKbps;
    endJob(job, BatchJob::State::Converted);
}

void Scheduler::endJob(BatchJob& job, BatchJob::State state, const QString& reason)
{
    job.state = state;
    job.reason = reason;
    ++m_done;
    m_display.fileFinished(job, m_done, int(m_jobs.size()));
}

void Scheduler::waitForOutput()
{
    std::vector<pollfd> watched;
    bool looking = false; // a converter whose end only a look can tell
    for (const auto& running : m_running) {
        if (running->errorFd >= 0)
            watched.push_back({running->errorFd, POLLIN, 0});
        else
            looking = true;
    }
    if (m_setup.stopFd >= 0)
        watched.push_back({m_setup.stopFd, POLLIN, 0});
    const int timeout = looking ? PollMs : RedrawMs;
    if (::poll(watched.data(), nfds_t(watched.size()), timeout) <= 0)
        return;
    for (const auto& running : m_running)
        running->readOutput();
}

void Scheduler::reapEnded()
{
    for (auto it = m_running.begin(); it != m_running.end();) {
        Running& running = **it;
        // The error output closes when the converter ends; a child that
        // handed it on to one of its own still has its end noticed here.
        const bool ended =
            running.errorFd < 0 ? running.child.waitFor(EndingWaitMs) : running.child.poll();
        if (!ended) {
            ++it;
            continue;
        }
        finish(running);
        it = m_running.erase(it);
    }
}

void Scheduler::stopAll(int firstNotStarted)
{
    for (const auto& running : m_running)
        running->child.terminate();
    for (const auto& running : m_running) {
        if (!running->child.waitFor(TerminateWaitMs)) {
            ::kill(running->child.pid(), SIGKILL);
            running->child.waitFor(KillWaitMs);
        }
        BatchJob& job = m_jobs[running->index];
        running->readOutput();
        // One that had already finished keeps its result.
        if (running->child.exitCode() == 0) {
            finish(*running);
            continue;
        }
        DeleteFileQuietly(job.output);
        endJob(job, BatchJob::State::NotConverted,
               QStringLiteral("Stopped before the conversion was finished."));
    }
    m_running.clear();
    for (int i = firstNotStarted; i < int(m_jobs.size()); ++i) {
        BatchJob& job = m_jobs[i];
        if (job.state == BatchJob::State::Pending) {
            job.state = BatchJob::State::NotStarted;
            job.reason = QStringLiteral("The batch was stopped before this file.");
        }
    }
}

void Scheduler::showProgress(bool force)
{
    if (!m_display.onTerminal())
        return;
    const qint64 now = m_clock.elapsed();
    if (!force && m_lastShown >= 0 && now - m_lastShown < RedrawMs)
        return;
    m_lastShown = now;

    ProgressSnapshot snapshot;
    snapshot.done = m_done;
    snapshot.total = int(m_jobs.size());
    snapshot.elapsed = now / 1000.0;
    for (const auto& running : m_running)
        snapshot.running.append({m_jobs[running->index].input, running->progress.duration(),
                                 running->progress.position()});
    QList<double> finished;
    int notStarted = 0;
    for (const BatchJob& job : m_jobs) {
        if (job.state == BatchJob::State::Converted)
            finished.append(job.duration);
        else if (job.state == BatchJob::State::Pending)
            ++notStarted;
    }
    snapshot.remaining =
        estimateRemaining(snapshot.elapsed, finished, snapshot.running, notStarted);
    m_display.show(snapshot);
}

} // namespace plumark
