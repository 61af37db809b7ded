#include "batch/EngineRun.h"

#include "engine/Paths.h"

namespace plumark {

std::unique_ptr<JobRun> EngineRun::start(WorkerPool& pool, const BatchJob& job, QString* failure)
{
    WorkerPool::Worker* worker =
        pool.start({nativePath(job.input), nativePath(job.output), job.rateToken}, failure);
    if (!worker)
        return nullptr;
    return std::unique_ptr<JobRun>(new EngineRun(*worker));
}

} // namespace plumark
