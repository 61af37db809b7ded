#include "batch/CheckedFfmpegRun.h"

#include "batch/FfmpegRun.h"
#include "engine/Paths.h"

#include <poll.h>

namespace plumark {

std::unique_ptr<JobRun> CheckedFfmpegRun::start(WorkerPool& pool, const QString& converterPath,
                                                const BatchJob& job, QString* failure,
                                                const Supervision& supervision)
{
    std::unique_ptr<CheckedFfmpegRun> run(
        new CheckedFfmpegRun(pool, converterPath, job, supervision));
    run->m_worker = pool.start(run->workerJob(transcode::Ac3Job::Task::Check), failure);
    if (!run->m_worker)
        return nullptr;
    return run;
}

CheckedFfmpegRun::~CheckedFfmpegRun()
{
    if (m_worker)
        m_worker->release();
}

transcode::Ac3Result checkJob(WorkerPool& pool, const BatchJob& job)
{
    const QByteArray output = nativePath(job.output);
    QString unavailable;
    WorkerPool::Worker* worker = pool.start({nativePath(job.input), output, job.rateToken,
                                             transcode::containerOfResult(output), job.keepExisting,
                                             transcode::Ac3Job::Task::Check},
                                            &unavailable);
    // Without a worker, the command is printed as it stands.
    if (!worker)
        return {true, {}};
    while (!worker->ended()) {
        pollfd watched{worker->replyFd(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        worker->read();
    }
    const transcode::Ac3Result checked = worker->result();
    worker->release();
    return checked;
}

transcode::Ac3Job CheckedFfmpegRun::workerJob(transcode::Ac3Job::Task task) const
{
    const QByteArray output = nativePath(m_job.output);
    return {nativePath(m_job.input), output, m_job.rateToken, transcode::containerOfResult(output),
            m_job.keepExisting,      task};
}

transcode::Ac3Result CheckedFfmpegRun::releaseWorker()
{
    const transcode::Ac3Result result = m_worker->result();
    m_worker->release();
    m_worker = nullptr;
    return result;
}

int CheckedFfmpegRun::fd() const
{
    if (m_worker)
        return m_worker->replyFd();
    return m_conversion && m_step == Step::Convert ? m_conversion->fd() : -1;
}

void CheckedFfmpegRun::read()
{
    if (m_worker)
        m_worker->read();
    else if (m_conversion && m_step == Step::Convert)
        m_conversion->read();
}

bool CheckedFfmpegRun::ended()
{
    switch (m_step) {
    case Step::Check:
        return m_worker->ended() && afterCheck();
    case Step::Convert:
        return m_conversion->ended() && afterConversion();
    case Step::Measure:
        if (!m_worker->ended())
            return false;
        if (const transcode::Ac3Result measured = releaseWorker(); measured.converted)
            m_earlyEnd = {measured.endedAt, measured.declaredLength};
        m_step = Step::Done;
        return true;
    case Step::Done:
        break;
    }
    return true;
}

// True when the job ends here; false when the ffmpeg program took it on.
bool CheckedFfmpegRun::afterCheck()
{
    const transcode::Ac3Result checked = releaseWorker();
    m_step = Step::Done;
    if (!checked.converted) {
        m_failure = checked.reason;
        return true;
    }
    if (checked.kept) {
        m_kept = true;
        return true;
    }
    m_conversion = FfmpegRun::start(m_converterPath, m_job, &m_failure, m_supervision);
    if (!m_conversion)
        return true;
    m_step = Step::Convert;
    return false;
}

// True when the job ends here; false while its input is measured.
bool CheckedFfmpegRun::afterConversion()
{
    m_step = Step::Done;
    // This also puts a finished result in place.
    m_failure = m_conversion->failure();
    if (!m_failure.isEmpty())
        return true;
    QString unavailable;
    // Without a worker to spare, the input's end goes unmeasured.
    m_worker = m_pool.start(workerJob(transcode::Ac3Job::Task::Measure), &unavailable);
    if (!m_worker)
        return true;
    m_step = Step::Measure;
    return false;
}

QString CheckedFfmpegRun::failure()
{
    return m_step == Step::Convert ? m_conversion->failure() : m_failure;
}

void CheckedFfmpegRun::terminate()
{
    if (m_worker)
        m_worker->terminate();
    else if (m_conversion && m_step == Step::Convert)
        m_conversion->terminate();
}

bool CheckedFfmpegRun::awaitStop()
{
    switch (m_step) {
    case Step::Check:
        m_worker->awaitStop();
        m_failure = QStringLiteral("Stopped before the conversion was finished.");
        return false;
    case Step::Convert:
        return m_conversion->awaitStop();
    case Step::Measure:
        // The result is in place; only its input's end goes unmeasured.
        m_worker->awaitStop();
        return true;
    case Step::Done:
        break;
    }
    return m_failure.isEmpty();
}

} // namespace plumark
