#pragma once

#include "batch/BatchJob.h"
#include "batch/JobRun.h"
#include "batch/ProgressDisplay.h"
#include "batch/RateProbe.h"

#include <QElapsedTimer>
#include <QList>
#include <functional>
#include <memory>
#include <vector>

namespace plumark {

// Runs the converter for every pending job, up to a number of them at once,
// starting them in list order. A job does not start while a running one
// reads or writes its input or output, so that the results are the same as
// one at a time. Each running converter, and the rate probe while it reads a
// file, is watched for its progress and end; nothing here waits on one.
class Scheduler
{
public:
    struct Setup
    {
        // Cores the batch uses at once.
        int jobs = 1;
        // The converter spreads one file over the cores it is given
        // (BatchJob::threads); otherwise each file takes one.
        bool splitsFiles = false;
        // Starts one file's conversion (the ffmpeg program, or a worker).
        JobStarter startRun;
        // With the same rate as each input: sets the rate token of a job that
        // has none yet when the input itself tells it; false when only the
        // probe can.
        std::function<bool(BatchJob& job)> readOwnRate;
        RateProbe* probe = nullptr;
        // A descriptor that becomes readable when a stop is asked, and the test.
        int stopFd = -1;
        std::function<bool()> stopRequested;
    };

    Scheduler(QList<BatchJob>& jobs, Setup setup, ProgressDisplay& display);
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Returns false when a stop ended the batch: the running converters are
    // stopped and their partial results removed; jobs not started are marked so.
    bool run();

private:
    struct Running;

    bool conflictsWithRunning(const BatchJob& job) const;
    int coresInUse() const;
    int coresFor(int index) const;
    bool rateReady(int index);
    // False when the job could not start yet and waits for a running one.
    bool start(int index);
    void finish(Running& running);
    void endJob(BatchJob& job, BatchJob::State state, const QString& reason = {});
    void waitForOutput();
    void reapEnded();
    void stopAll(int firstNotStarted);
    void showProgress(bool force);

    QList<BatchJob>& m_jobs;
    Setup m_setup;
    ProgressDisplay& m_display;
    std::vector<std::unique_ptr<Running>> m_running;
    QElapsedTimer m_clock;
    qint64 m_lastShown = -1;
    int m_done = 0;
    int m_next = 0;
    int m_probing = -1; // the job whose rate the probe reads
    bool m_startDeferred = false;
};

} // namespace plumark
