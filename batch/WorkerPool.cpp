#include "batch/WorkerPool.h"

#include "engine/ReadAvailable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

// An idle worker ends as soon as its job pipe closes.
constexpr int IdleEndWaitMs = 1000;
const char* const CrashReason = "the decoder crashed";

} // namespace

WorkerPool::WorkerPool(Body body, int size, const Supervision& supervision)
{
    for (int i = 0; i < std::max(1, size); ++i)
        m_workers.push_back(std::make_unique<Worker>(body, supervision));
}

WorkerPool::~WorkerPool()
{
    for (const auto& worker : m_workers)
        if (worker->m_busy)
            worker->terminate();
    for (const auto& worker : m_workers)
        if (worker->m_busy)
            worker->awaitStop();
    // Every idle worker is told to end before any is waited for, so that
    // they end side by side.
    for (const auto& worker : m_workers)
        worker->closePipes();
}

WorkerPool::Worker* WorkerPool::start(const transcode::Ac3Job& job, QString* failure)
{
    // A worker already running takes the job before a new one is started:
    // where no further process can be made, the running ones still serve.
    std::vector<Worker*> idle;
    for (const auto& worker : m_workers)
        if (worker->idle() && worker->m_process.running())
            idle.push_back(worker.get());
    for (const auto& worker : m_workers)
        if (worker->idle() && !worker->m_process.running())
            idle.push_back(worker.get());
    for (Worker* worker : idle) {
        // A worker that died while idle, or never started, is started afresh.
        if (!worker->m_process.running() && !worker->launch()) {
            *failure = QStringLiteral("The converter worker could not be started (%1).")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return nullptr;
        }
        if (worker->send(job))
            return worker;
        // The worker ended before it could take the job: a fresh one tries.
        worker->closePipes();
        worker->m_process.waitFor(IdleEndWaitMs);
        if (worker->launch() && worker->send(job))
            return worker;
        *failure = QStringLiteral("The converter worker could not be started.");
        return nullptr;
    }
    *failure = QStringLiteral("No converter worker is free.");
    return nullptr;
}

WorkerPool::Worker::~Worker()
{
    // Its job pipe's end tells an idle worker to finish.
    closePipes();
    if (m_process.running() && !m_process.waitFor(IdleEndWaitMs))
        m_process.stop();
}

bool WorkerPool::Worker::launch()
{
    closePipes();
    m_reader = {};
    int jobs[2];
    int replies[2];
    if (::pipe2(jobs, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(replies, O_CLOEXEC) != 0) {
        ::close(jobs[0]);
        ::close(jobs[1]);
        return false;
    }
    // The worker's error output is this program's: a fault's own report
    // shows. A batch that ends without stopping its workers stops them all
    // the same: each removes its partial result on SIGTERM.
    ChildSetup setup;
    setup.stdinFd = jobs[0];
    setup.stdoutFd = replies[1];
    setup.stderrFd = STDERR_FILENO;
    setup.lifetime = ChildSetup::Lifetime::EndsWithThisProcess;
    setup.endSignal = SIGTERM;
    setup.capMemory = true;
    const int error = m_process.startCopy(m_body, setup);
    ::close(jobs[0]);
    ::close(replies[1]);
    m_jobFd.reset(jobs[1]);
    m_replyFd.reset(replies[0]);
    ::fcntl(m_replyFd.get(), F_SETFL, ::fcntl(m_replyFd.get(), F_GETFL) | O_NONBLOCK);
    if (error) {
        closePipes();
        errno = error;
        return false;
    }
    return true;
}

bool WorkerPool::Worker::send(const transcode::Ac3Job& job)
{
    m_busy = true;
    m_ended = false;
    m_stopping = false;
    m_process.expectProgress();
    m_output = job.output;
    m_partial.clear();
    m_position = 0;
    m_duration = -1;
    m_result = {};
    if (transcode::writeMessage(m_jobFd.get(), transcode::encodeJob(job)))
        return true;
    m_busy = false;
    return false;
}

void WorkerPool::Worker::read()
{
    if (!m_busy || m_ended || !m_replyFd.valid())
        return;
    const bool closed = readAvailable(m_replyFd.get(), [&](const QByteArray& bytes) {
        m_process.progressed();
        m_reader.append(bytes);
        while (const std::optional<transcode::WorkerReply> reply = m_reader.nextReply()) {
            if (reply->kind == transcode::WorkerReply::Kind::Progress) {
                m_position = reply->position;
                m_duration = reply->duration;
                continue;
            }
            if (reply->kind == transcode::WorkerReply::Kind::Partial) {
                // Only a partial name of this job's result is ever removed.
                if (isPartialPathOf(reply->partial, m_output))
                    m_partial = reply->partial;
                continue;
            }
            m_result = reply->result;
            m_ended = true;
            m_process.rest();
            return false;
        }
        if (m_reader.malformed()) {
            m_process.stop();
            endWithoutResult();
            m_result.reason = QStringLiteral("the converter worker's reply could not be read");
            return false;
        }
        return true;
    });
    // Ended without a result: it crashed, or was stopped.
    if (closed)
        endWithoutResult();
}

bool WorkerPool::Worker::ended()
{
    endIfStalled();
    return m_ended;
}

void WorkerPool::Worker::endIfStalled()
{
    if (!m_busy || m_ended || m_stopping || !m_process.endIfStalled())
        return;
    endWithoutResult();
    m_result.reason = noProgressReason(m_process.supervision());
}

void WorkerPool::Worker::endWithoutResult()
{
    closePipes();
    m_process.waitFor(int(m_process.supervision().killWait.count()));
    m_process.rest();
    // What the worker was writing is no result.
    if (!m_partial.isEmpty())
        ::unlink(m_partial.constData());
    m_result = {false, m_stopping ? QStringLiteral("Stopped before the conversion was finished.")
                                  : QString::fromLatin1(CrashReason)};
    m_ended = true;
}

void WorkerPool::Worker::terminate()
{
    if (m_ended)
        return;
    m_stopping = true;
    m_process.terminate();
}

bool WorkerPool::Worker::awaitStop()
{
    if (!m_ended) {
        m_process.finishStop();
        // A result written just before the stop still counts.
        read();
        if (!m_ended)
            endWithoutResult();
    }
    return m_result.converted;
}

void WorkerPool::Worker::closePipes()
{
    m_jobFd.reset();
    m_replyFd.reset();
}

} // namespace plumark
