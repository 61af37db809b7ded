#pragma once

#include "batch/JobRun.h"
#include "batch/WorkerPool.h"

namespace plumark {

// One file converted by a converter worker with the in-process converter.
class WorkerRun : public JobRun
{
public:
    static std::unique_ptr<JobRun> start(WorkerPool& pool, const BatchJob& job, QString* failure);
    // Hands the worker back to the pool.
    ~WorkerRun() override { m_worker.release(); }

    int fd() const override { return m_worker.replyFd(); }
    void read() override { m_worker.read(); }
    bool ended() override { return m_worker.ended(); }
    QString failure() override
    {
        return m_worker.result().converted ? QString() : m_worker.result().reason;
    }
    std::pair<double, double> earlyEnd() override
    {
        return {m_worker.result().endedAt, m_worker.result().declaredLength};
    }
    bool kept() override { return m_worker.result().kept; }
    double duration() const override { return m_worker.duration(); }
    double position() const override { return m_worker.position(); }
    void terminate() override { m_worker.terminate(); }
    bool awaitStop() override { return m_worker.awaitStop(); }

private:
    explicit WorkerRun(WorkerPool::Worker& worker) : m_worker(worker) {}

    WorkerPool::Worker& m_worker;
};

} // namespace plumark
