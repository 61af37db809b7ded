#include "batch/WorkerRun.h"

#include "engine/Paths.h"

namespace plumark {

std::unique_ptr<JobRun> WorkerRun::start(WorkerPool& pool, const BatchJob& job, QString* failure)
{
    const QByteArray output = nativePath(job.output);
    transcode::Ac3Job work{nativePath(job.input), output, job.rateToken,
                           transcode::containerOfResult(output), job.keepExisting};
    work.threads = job.threads;
    WorkerPool::Worker* worker = pool.start(work, failure);
    if (!worker)
        return nullptr;
    return std::unique_ptr<JobRun>(new WorkerRun(*worker));
}

} // namespace plumark
