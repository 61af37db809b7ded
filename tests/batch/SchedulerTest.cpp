// The scheduler when a converter cannot be started: a file waits for a running
// converter rather than failing while one could still take it. The cores it
// gives each file: those no waiting file will take.
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

struct CoreShare
{
    const char* name;
    int files;
    int jobs;
    bool splitsFiles;
    // The cores of the first files started, before any could have ended.
    QList<int> firstCores;
};

void PrintTo(const CoreShare& share, std::ostream* os)
{
    *os << share.name;
}

const CoreShare coreShares[] = {
    {"one_file_takes_every_core", 1, 3, true, {3}},
    {"two_files_leave_one_core_for_the_second", 2, 4, true, {3, 1}},
    {"a_long_batch_gives_one_core_each", 5, 2, true, {1, 1, 1}},
    {"a_converter_that_cannot_split_takes_one", 1, 3, false, {1}},
};

class CoresPerFile : public ::testing::TestWithParam<CoreShare>
{
};

TEST_P(CoresPerFile, SpareCoresGoToTheLastFiles)
{
    const CoreShare& share = GetParam();
    QTemporaryDir folder;
    QList<BatchJob> jobs = makeJobs(folder, share.files);
    WorkerPool workers(transcode::runConverterWorker, share.jobs);
    QList<int> cores;
    Scheduler::Setup setup;
    setup.jobs = share.jobs;
    setup.splitsFiles = share.splitsFiles;
    setup.startRun = [&](const BatchJob& job, QString* failure) {
        cores.append(job.threads);
        return WorkerRun::start(workers, job, failure);
    };
    ProgressDisplay display(-1);
    Scheduler scheduler(jobs, setup, display);
    ASSERT_TRUE(scheduler.run());

    ASSERT_EQ(cores.size(), share.files);
    EXPECT_EQ(cores.mid(0, share.firstCores.size()), share.firstCores);
    for (int given : cores)
        EXPECT_TRUE(given >= 1 && given <= share.jobs) << given;
    for (const BatchJob& job : jobs) {
        EXPECT_EQ(job.state, BatchJob::State::Converted) << job.reason.toStdString();
        EXPECT_EQ(test::probeMedia(job.output).codec, QStringLiteral("ac3"));
    }
}

INSTANTIATE_TEST_SUITE_P(Shares, CoresPerFile, ::testing::ValuesIn(coreShares),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
