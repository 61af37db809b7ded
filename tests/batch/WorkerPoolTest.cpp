// The converter workers: long-lived processes of the program itself, each
// converting many files; a crash fails only its file, and a stop leaves no
// partial result.
#include "batch/WorkerPool.h"
#include "support/ConverterJob.h"
#include "support/Media.h"
#include "transcode/Ac3Converter.h"
#include "transcode/ConverterWorker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plumark;
using namespace plumark::test;

namespace {

const WorkerPool::Body workerCommand = transcode::runConverterWorker;

// A worker that crashes on the file of this name, as a decoder fault would.
WorkerPool::Body crashingOn(const QByteArray& name)
{
    return [name] {
        return transcode::runConverterWorkerWith([&name](const transcode::Ac3Job& job) {
            if (job.input.mid(job.input.lastIndexOf('/') + 1) == name)
                std::abort();
        });
    };
}

// Waits until the worker's job has ended; a job still going after two
// minutes fails the test instead of holding it.
void awaitEnd(WorkerPool::Worker& worker)
{
    QElapsedTimer clock;
    clock.start();
    while (!worker.ended()) {
        ASSERT_LT(clock.elapsed(), 120000) << "the job never ended";
        pollfd watched{worker.replyFd(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        worker.read();
    }
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList hiddenAndPlain(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class WorkerPoolTest : public ::testing::Test
{
protected:
    QString input(const QString& name, double seconds = 0.5)
    {
        const QString path = folder.filePath(name);
        makeM4a(path, seconds, 128, 2);
        return path;
    }
    QString output(const QString& name) const
    {
        return folder.filePath(QStringLiteral("out/") + name);
    }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(folder.filePath(QStringLiteral("out")));
    }

    // A stereo tone in ALAC: quick to make, long to convert when it is
    // ten minutes. Its samples must be converted for the encoder.
    QString alacInput(const QString& name = QStringLiteral("long.m4a"), double seconds = 600)
    {
        const QString path = folder.filePath(name);
        QProcess generator;
        generator.start(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("sine=f=440:r=44100:d=%1").arg(seconds), QStringLiteral("-ac"),
             QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("alac"), path});
        EXPECT_TRUE(generator.waitForFinished(120000));
        EXPECT_EQ(generator.exitCode(), 0);
        return path;
    }

    QTemporaryDir folder;
};

// The most memory a process has held, in kilobytes.
qint64 peakMemoryKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    return -1;
}

TEST_F(WorkerPoolTest, TwoWorkersConvertFiveFilesToTheEnginesBytes)
{
    WorkerPool pool(workerCommand, 2);
    QList<pid_t> pids;
    for (int first = 0; first < 5; first += 2) {
        QList<WorkerPool::Worker*> running;
        for (int i = first; i < std::min(first + 2, 5); ++i) {
            const QString name = QStringLiteral("track %1").arg(i);
            QString failure;
            WorkerPool::Worker* worker =
                pool.start(engineJob(input(name + QStringLiteral(".m4a"), 0.3 + 0.2 * i),
                                     output(name + QStringLiteral(".ac3"))),
                           &failure);
            ASSERT_NE(worker, nullptr) << failure.toStdString();
            running.append(worker);
            pids.append(worker->pid());
        }
        for (WorkerPool::Worker* worker : running) {
            ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
            EXPECT_TRUE(worker->result().converted) << worker->result().reason.toStdString();
            worker->release();
        }
    }
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("track %1").arg(i);
        const QString reference = folder.filePath(name + QStringLiteral(".reference.ac3"));
        ASSERT_TRUE(transcode::convertToAc3(
                        engineJob(folder.filePath(name + QStringLiteral(".m4a")), reference))
                        .converted);
        EXPECT_TRUE(contents(output(name + QStringLiteral(".ac3"))) == contents(reference))
            << name.toStdString();
    }
    // Long-lived: the same two processes took every file.
    EXPECT_EQ(QSet<pid_t>(pids.begin(), pids.end()).size(), 2);
    EXPECT_EQ(hiddenAndPlain(folder.filePath(QStringLiteral("out"))).size(), 5);
}

TEST_F(WorkerPoolTest, ACrashFailsOnlyItsFileAndAFreshWorkerTakesTheNext)
{
    const QString crashing = input(QStringLiteral("crash.m4a"));
    const QString good = input(QStringLiteral("good.m4a"));
    WorkerPool pool(crashingOn("crash.m4a"), 1);

    QString failure;
    WorkerPool::Worker* worker =
        pool.start(engineJob(crashing, output(QStringLiteral("crash.ac3"))), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    const pid_t crashed = worker->pid();
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
    EXPECT_FALSE(worker->result().converted);
    EXPECT_EQ(worker->result().reason, QStringLiteral("the decoder crashed"));
    worker->release();

    worker = pool.start(engineJob(good, output(QStringLiteral("good.ac3"))), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    EXPECT_NE(worker->pid(), crashed);
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
    EXPECT_TRUE(worker->result().converted) << worker->result().reason.toStdString();
    EXPECT_EQ(hiddenAndPlain(folder.filePath(QStringLiteral("out"))),
              QStringList{QStringLiteral("good.ac3")});
}

// A worker whose reply is no message of the protocol.
int garblingWorker()
{
    const char bytes[] = "\xff\xff\xff\xffnot a reply";
    if (::write(STDOUT_FILENO, bytes, sizeof bytes - 1) < 0)
        return 1;
    ::pause();
    return 0;
}

// A reply that cannot be read ends its worker, and the file is named for
// that, not as a crash.
TEST_F(WorkerPoolTest, AReplyThatCannotBeReadIsNamedSo)
{
    WorkerPool pool(garblingWorker, 1);
    QString failure;
    WorkerPool::Worker* worker = pool.start(
        engineJob(input(QStringLiteral("a.m4a")), output(QStringLiteral("a.ac3"))), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    awaitEnd(*worker);
    EXPECT_FALSE(worker->result().converted);
    EXPECT_EQ(worker->result().reason.toStdString(),
              "the converter worker's reply could not be read");
    worker->release();
}

// A worker that never reports: the engine's own input gate refuses the
// inputs that block, so this one waits without taking its job; a worker
// started without the variable works as usual.
int stallingWorker()
{
    if (qEnvironmentVariableIsSet("STALL_THIS_WORKER"))
        ::pause();
    return transcode::runConverterWorker();
}

// A worker that makes no progress holds its file until it is ended for
// that, and a fresh one takes the next file.
TEST_F(WorkerPoolTest, AWorkerThatMakesNoProgressIsEndedAndTheNextFileConverts)
{
    const QString never = input(QStringLiteral("never.m4a"));
    const QString good = input(QStringLiteral("good.m4a"));
    Supervision supervision = converterSupervision();
    supervision.stallLimit = std::chrono::seconds(2);

    WorkerPool pool(stallingWorker, 1, supervision);
    QString failure;
    // The worker starts with the first job, and takes the variable with it.
    qputenv("STALL_THIS_WORKER", "1");
    WorkerPool::Worker* worker =
        pool.start(engineJob(never, output(QStringLiteral("never.ac3"))), &failure);
    qunsetenv("STALL_THIS_WORKER");
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    const pid_t stuck = worker->pid();
    QElapsedTimer clock;
    clock.start();
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_FALSE(worker->result().converted);
    EXPECT_EQ(worker->result().reason,
              QStringLiteral("the converter made no progress for 2 seconds"));
    EXPECT_NE(::kill(stuck, 0), 0) << "the stuck worker is gone";
    worker->release();

    worker = pool.start(engineJob(good, output(QStringLiteral("good.ac3"))), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    EXPECT_NE(worker->pid(), stuck);
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
    EXPECT_TRUE(worker->result().converted) << worker->result().reason.toStdString();
    EXPECT_EQ(hiddenAndPlain(folder.filePath(QStringLiteral("out"))),
              QStringList{QStringLiteral("good.ac3")});
}

TEST_F(WorkerPoolTest, AStopLeavesNoPartialResult)
{
    // Ten minutes take the worker long enough to be stopped midway.
    const QString path = alacInput();
    if (HasFatalFailure())
        return;

    WorkerPool pool(workerCommand, 1);
    QString failure;
    WorkerPool::Worker* worker =
        pool.start(engineJob(path, output(QStringLiteral("long.ac3"))), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    QElapsedTimer clock;
    clock.start();
    while (worker->position() <= 0 && !worker->ended()) {
        ASSERT_LT(clock.elapsed(), 120000) << "the job never reported its position";
        pollfd watched{worker->replyFd(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        worker->read();
    }
    ASSERT_FALSE(worker->ended());
    EXPECT_GT(worker->duration(), 599);
    worker->terminate();
    EXPECT_FALSE(worker->awaitStop());
    EXPECT_EQ(worker->result().reason,
              QStringLiteral("Stopped before the conversion was finished."));
    EXPECT_TRUE(hiddenAndPlain(folder.filePath(QStringLiteral("out"))).isEmpty());
}

// A worker streams: a long input (two minutes of AAC, ten of ALAC: 40 and
// over 100 MB once decoded) needs no more memory than one second does.
TEST_F(WorkerPoolTest, AWorkerHoldsNoWholeInput)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine";
#endif
    // AAC goes to the encoder as it is, ALAC through the filter graph.
    const QList<QStringList> inputs = {
        {input(QStringLiteral("short.m4a"), 1.0), input(QStringLiteral("long-aac.m4a"), 120)},
        {alacInput(QStringLiteral("short-alac.m4a"), 1.0), alacInput()}};
    QList<qint64> peaks;
    for (const QStringList& pair : inputs) {
        for (const QString& path : pair) {
            WorkerPool pool(workerCommand, 1);
            QString failure;
            WorkerPool::Worker* worker =
                pool.start(engineJob(path, output(QStringLiteral("result.ac3"))), &failure);
            ASSERT_NE(worker, nullptr) << failure.toStdString();
            ASSERT_NO_FATAL_FAILURE(awaitEnd(*worker));
            ASSERT_TRUE(worker->result().converted) << worker->result().reason.toStdString();
            peaks.append(peakMemoryKb(worker->pid()));
        }
    }
    for (int i = 0; i < peaks.size(); i += 2) {
        ASSERT_GT(peaks[i], 0);
        EXPECT_LT(peaks[i + 1] - peaks[i], 16 * 1024)
            << inputs[i / 2][1].toStdString() << ": " << peaks[i] << " kB, then " << peaks[i + 1]
            << " kB";
    }
}

} // namespace
