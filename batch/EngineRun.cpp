#include "batch/EngineRun.h"

namespace plumark {

std::unique_ptr<JobRun> EngineRun::start(WorkerPool& pool, const BatchJob& job, QString* failure)
{
    WorkerPool::Worker* worker = pool.start({job.input, job.output, job.rateToken}, failure);
    if (!worker)
        return nullptr;
    return std::unique_ptr<JobRun>(new EngineRun(*worker));
}

} // namespace plumark
