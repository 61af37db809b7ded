#include "batch/Scheduler.h"

#include "batch/Ac3Header.h"
#include "batch/MakeFolder.h"
#include "engine/ConversionRules.h"
#include "engine/OutputClaims.h"
#include "engine/Paths.h"

#include <algorithm>
#include <poll.h>
#include <tuple>

namespace plumark {

namespace {

constexpr int RedrawMs = 200;
// How often converters that closed their error output early are looked at.
constexpr int PollMs = 100;
constexpr int ProbeLookMs = 5;

} // namespace

struct Scheduler::Running
{
    int index = -1;
    QString inputKey;
    QString outputKey;
    int cores = 1;
    std::unique_ptr<JobRun> run;
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
        while (m_next < count && coresInUse() < m_setup.jobs && !m_startDeferred) {
            BatchJob& job = m_jobs[m_next];
            if (job.state != BatchJob::State::Pending) {
                // Skipped or refused when the batch was planned, or its rate
                // could not be found.
                ++m_done;
                m_display.fileFinished(job, m_done, count);
            } else {
                if (conflictsWithRunning(job) || !rateReady(m_next))
                    break;
                if (job.state != BatchJob::State::Pending)
                    continue;
                if (!start(m_next))
                    break;
            }
            ++m_next;
        }
        if (m_running.empty() && m_next >= count)
            break;
        // While every converter slot is taken, the next file's rate is found
        // so that it can start as soon as one is free.
        if (m_next < count && m_jobs[m_next].state == BatchJob::State::Pending)
            rateReady(m_next);
        waitForOutput();
        reapEnded();
        showProgress(false);
    }
    showProgress(true);
    return true;
}

bool Scheduler::rateReady(int index)
{
    BatchJob& job = m_jobs[index];
    if (!job.rateToken.isEmpty() || !m_setup.readOwnRate)
        return true;
    // A file the run will refuse is never read: the probe would wait forever
    // on a FIFO or read a device without end.
    if (!refusalReason(job.input, job.output).isEmpty())
        return true;
    if (m_probing == index) {
        const std::optional<RateProbe::Result> found = m_setup.probe->poll();
        if (!found)
            return false;
        m_probing = -1;
        job.rateToken = found->token;
        job.rateNote = found->note;
        if (!found->failure.isEmpty()) {
            job.state = BatchJob::State::NotConverted;
            job.reason = found->failure;
        }
        return true;
    }
    if (m_setup.readOwnRate(job))
        return true;
    if (m_probing >= 0)
        return false;
    m_probing = index;
    m_setup.probe->ask(job.input);
    return false;
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

int Scheduler::coresInUse() const
{
    int cores = 0;
    for (const auto& running : m_running)
        cores += running->cores;
    return cores;
}

// The free cores, less one for each file still waiting: a single input, or
// the last files of a batch, take the cores no other file will.
int Scheduler::coresFor(int index) const
{
    if (!m_setup.splitsFiles)
        return 1;
    const int waiting =
        int(std::count_if(m_jobs.begin() + index + 1, m_jobs.end(), [](const BatchJob& job) {
            return job.state == BatchJob::State::Pending;
        }));
    return std::max(1, m_setup.jobs - coresInUse() - waiting);
}

bool Scheduler::start(int index)
{
    BatchJob& job = m_jobs[index];
    if (!job.folderToMake.isEmpty()) {
        const QString problem = makeFolderPath(job.folderToMake);
        if (!problem.isEmpty()) {
            endJob(job, BatchJob::State::NotConverted,
                   QStringLiteral("The folder %1.").arg(problem));
            return true;
        }
    }
    QString refusal = outputFolderRefusal(job.output);
    if (refusal.isEmpty())
        refusal = refusalReason(job.input, job.output);
    if (!refusal.isEmpty()) {
        endJob(job, BatchJob::State::NotConverted, refusal);
        return true;
    }
    // An old result stays until a complete new one is renamed over it.

    auto running = std::make_unique<Running>();
    running->index = index;
    running->inputKey = fileKey(job.input);
    running->outputKey = fileKey(job.output);
    running->cores = job.threads = coresFor(index);
    QString failure;
    running->run = m_setup.startRun(job, &failure);
    if (!running->run) {
        // No converter could be started (no process to spare, say): the file
        // waits for one of the running converters to end, and fails only
        // when none is left to wait for.
        if (!m_running.empty()) {
            m_startDeferred = true;
            return false;
        }
        endJob(job, BatchJob::State::NotConverted, failure);
        return true;
    }
    job.state = BatchJob::State::Running;
    m_running.push_back(std::move(running));
    return true;
}

void Scheduler::finish(Running& running)
{
    BatchJob& job = m_jobs[running.index];
    running.run->read();
    job.duration = running.run->duration();
    const QString reason = running.run->failure();
    if (!reason.isEmpty()) {
        // The converter removed its partial result; the final name, whatever
        // is there, is not this job's to remove.
        endJob(job, BatchJob::State::NotConverted, reason);
        return;
    }
    if (running.run->kept()) {
        endJob(job, BatchJob::State::Skipped, QStringLiteral("The result already exists."));
        return;
    }
    job.resultKbps = resultRateKbps(job.output);
    std::tie(job.endedAt, job.declaredLength) = running.run->earlyEnd();
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
        if (running->run->fd() >= 0)
            watched.push_back({running->run->fd(), POLLIN, 0});
        else
            looking = true;
    }
    if (m_setup.stopFd >= 0)
        watched.push_back({m_setup.stopFd, POLLIN, 0});
    // The probe's answer is looked for between short waits.
    const int timeout = m_probing >= 0 ? ProbeLookMs : looking ? PollMs : RedrawMs;
    if (::poll(watched.data(), nfds_t(watched.size()), timeout) <= 0)
        return;
    for (const auto& running : m_running)
        running->run->read();
}

void Scheduler::reapEnded()
{
    // A stop comes first: a worker ended by the same Ctrl+C did not crash.
    if (m_setup.stopRequested && m_setup.stopRequested())
        return;
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (!(*it)->run->ended()) {
            ++it;
            continue;
        }
        finish(**it);
        it = m_running.erase(it);
        m_startDeferred = false;
    }
}

void Scheduler::stopAll(int firstNotStarted)
{
    if (m_probing >= 0)
        m_setup.probe->cancel();
    m_probing = -1;
    for (const auto& running : m_running)
        running->run->terminate();
    for (const auto& running : m_running) {
        // One that had already finished keeps its result.
        if (running->run->awaitStop()) {
            finish(*running);
            continue;
        }
        BatchJob& job = m_jobs[running->index];
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
        snapshot.running.append(
            {m_jobs[running->index].input, running->run->duration(), running->run->position()});
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
