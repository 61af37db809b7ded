// The scheduler when a converter cannot be started: a file waits for a running
// converter rather than failing while one could still take it.
#include "batch/Scheduler.h"
#include "batch/WorkerRun.h"
#include "support/Media.h"
#include "transcode/ConverterWorker.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;

namespace {

QList<BatchJob> makeJobs(const QTemporaryDir& folder, int count)
{
    QList<BatchJob> jobs;
    for (int i = 0; i < count; ++i) {
        BatchJob job;
        job.input = folder.filePath(QStringLiteral("in%1.m4a").arg(i));
        job.output = folder.filePath(QStringLiteral("in%1.ac3").arg(i));
        job.rateToken = QStringLiteral("192k");
        test::makeM4a(job.input, 0.3);
        jobs.append(job);
    }
    return jobs;
}

// Runs the jobs with up to three at once, where every start the given test
// refuses fails as a process that cannot be made would.
void runRefusing(QList<BatchJob>& jobs, const std::function<bool(int attempt)>& refuse)
{
    WorkerPool workers(transcode::runConverterWorker, 3);
    int attempts = 0;
    Scheduler::Setup setup;
    setup.jobs = 3;
    setup.startRun = [&](const BatchJob& job, QString* failure) -> std::unique_ptr<JobRun> {
        if (refuse(attempts++)) {
            *failure = QStringLiteral("The converter worker could not be started.");
            return nullptr;
        }
        return WorkerRun::start(workers, job, failure);
    };
    ProgressDisplay display(-1);
    Scheduler scheduler(jobs, setup, display);
    ASSERT_TRUE(scheduler.run());
}

TEST(Scheduler, AFileWhoseConverterCannotStartWaitsForARunningOne)
{
    QTemporaryDir folder;
    QList<BatchJob> jobs = makeJobs(folder, 5);

    // Only one converter at a time can be had: every second start fails.
    runRefusing(jobs, [](int attempt) { return attempt % 2 == 1; });

    for (const BatchJob& job : jobs) {
        EXPECT_EQ(job.state, BatchJob::State::Converted) << job.reason.toStdString();
        EXPECT_EQ(test::probeMedia(job.output).codec, QStringLiteral("ac3"));
    }
}

TEST(Scheduler, AFileFailsWhenNoConverterRunsToWaitFor)
{
    QTemporaryDir folder;
    QList<BatchJob> jobs = makeJobs(folder, 2);

    runRefusing(jobs, [](int attempt) { return attempt == 0; });

    EXPECT_EQ(jobs[0].state, BatchJob::State::NotConverted);
    EXPECT_EQ(jobs[0].reason, QStringLiteral("The converter worker could not be started."));
    EXPECT_FALSE(QFile::exists(jobs[0].output));
    EXPECT_EQ(jobs[1].state, BatchJob::State::Converted) << jobs[1].reason.toStdString();
}

} // namespace
