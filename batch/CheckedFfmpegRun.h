#pragma once

#include "batch/JobRun.h"
#include "batch/WorkerPool.h"

namespace plumark {

// One file converted by the ffmpeg program, with every reading of the input
// left to a converter worker, under a job's limits, as the in-process converter
// does it: before the program starts, whether the input is refused (tables
// it cannot hold, an edit list that repeats its audio) and, with
// --skip-existing, whether the result already there stands; after it
// converted, where the input's data ends before its declared length.
class CheckedFfmpegRun : public JobRun
{
public:
    static std::unique_ptr<JobRun> start(WorkerPool& pool, const QString& converterPath,
                                         const BatchJob& job, QString* failure,
                                         const Supervision& supervision = converterSupervision());
    ~CheckedFfmpegRun() override;

    int fd() const override;
    void read() override;
    bool ended() override;
    QString failure() override;
    std::pair<double, double> earlyEnd() override { return m_earlyEnd; }
    bool kept() override { return m_kept; }
    double duration() const override { return m_conversion ? m_conversion->duration() : -1; }
    double position() const override { return m_conversion ? m_conversion->position() : 0; }
    void terminate() override;
    bool awaitStop() override;

private:
    enum class Step { Check, Convert, Measure, Done };

    CheckedFfmpegRun(WorkerPool& pool, QString converterPath, const BatchJob& job,
                     const Supervision& supervision)
        : m_pool(pool), m_converterPath(std::move(converterPath)), m_job(job),
          m_supervision(supervision)
    {
    }
    transcode::Ac3Job workerJob(transcode::Ac3Job::Task task) const;
    // Hands the worker back, with its result.
    transcode::Ac3Result releaseWorker();
    bool afterCheck();
    bool afterConversion();

    WorkerPool& m_pool;
    QString m_converterPath;
    BatchJob m_job;
    Supervision m_supervision;
    Step m_step = Step::Check;
    WorkerPool::Worker* m_worker = nullptr;
    std::unique_ptr<JobRun> m_conversion;
    QString m_failure;
    bool m_kept = false;
    std::pair<double, double> m_earlyEnd{-1, -1};
};

// The check alone, waited for, for a dry run: converted false with the reason
// for a refused input, kept for a result that stands.
transcode::Ac3Result checkJob(WorkerPool& pool, const BatchJob& job);

} // namespace plumark
