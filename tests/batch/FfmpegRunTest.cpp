// The ffmpeg program as a batch's converter: the same limits, stall rule and
// stop order as a worker, and a result it writes only through the
// descriptor the batch created.
#include "batch/FfmpegRun.h"
#include "BatchProcess.h"
#include "support/Media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <poll.h>

namespace plumark {
namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FfmpegRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(out());
        test::writeFile(dir.filePath(QStringLiteral("a.m4a")), "input");
    }
    QString out() const { return dir.filePath(QStringLiteral("out")); }
    BatchJob job() const
    {
        BatchJob job;
        job.input = dir.filePath(QStringLiteral("a.m4a"));
        job.output = out() + QStringLiteral("/a.ac3");
        job.rateToken = QStringLiteral("192k");
        return job;
    }
    // A fake converter; it writes its result to its last argument.
    QString converter(const QString& body)
    {
        return test::writeScript(dir.filePath(QStringLiteral("ffmpeg")),
                                 QStringLiteral("for out; do :; done\n") + body);
    }
    // Runs the job to its end; a run still going after two minutes fails.
    void awaitEnd(JobRun& run)
    {
        QElapsedTimer clock;
        clock.start();
        while (!run.ended()) {
            ASSERT_LT(clock.elapsed(), 120000) << "the converter never ended";
            pollfd watched{run.fd(), POLLIN, 0};
            ::poll(&watched, 1, 100);
            run.read();
        }
    }
    QStringList entriesOfOut() const
    {
        return QDir(out()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
};

// A converter that outlives its stop (here one that ignores SIGTERM, and
// whose kill is not awaited) has not finished: its cut result never
// replaces the good old one.
TEST_F(FfmpegRunTest, AConverterThatOutlivesItsStopIsNotFinished)
{
    test::writeFile(out() + QStringLiteral("/a.ac3"), "the good old result");
    const QString started = dir.filePath(QStringLiteral("started"));
    const QString script = converter(QStringLiteral("trap '' TERM\nprintf cut > \"$out\"\n"
                                                    "touch '%1'\nexec sleep 30")
                                         .arg(started));
    Supervision unreaped = converterSupervision();
    unreaped.terminateWait = std::chrono::milliseconds(100);
    unreaped.killWait = std::chrono::milliseconds(0);
    QString failure;
    std::unique_ptr<JobRun> run = FfmpegRun::start(script, job(), &failure, unreaped);
    ASSERT_NE(run, nullptr) << failure.toStdString();
    for (int i = 0; i < 1000 && !QFileInfo::exists(started); ++i)
        QThread::msleep(10);
    ASSERT_TRUE(QFileInfo::exists(started));

    run->terminate();
    EXPECT_FALSE(run->awaitStop());
    run.reset();

    EXPECT_EQ(contents(out() + QStringLiteral("/a.ac3")), "the good old result");
    EXPECT_EQ(entriesOfOut(), QStringList{QStringLiteral("a.ac3")});
}

// A converter that reports nothing (an input that blocks) is ended after
// the stall limit and fails its file with the reason; nothing is left.
TEST_F(FfmpegRunTest, ASilentConverterIsEndedAndFailsItsFile)
{
    Supervision supervision = converterSupervision();
    supervision.stallLimit = std::chrono::seconds(1);
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    QString failure;
    std::unique_ptr<JobRun> run =
        FfmpegRun::start(converter(QStringLiteral("echo $$ > '%1'\nexec sleep 60").arg(pidFile)),
                         job(), &failure, supervision);
    ASSERT_NE(run, nullptr) << failure.toStdString();
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*run));

    EXPECT_EQ(run->failure(), QStringLiteral("the converter made no progress for 1 seconds"));
    const pid_t pid = pid_t(contents(pidFile).trimmed().toInt());
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0) << "the converter is gone";
    run.reset();
    EXPECT_TRUE(entriesOfOut().isEmpty()) << entriesOfOut().join(u' ').toStdString();
}

// The converter's data is capped as a worker's is: what it reads in its own
// limits becomes its result here.
TEST_F(FfmpegRunTest, TheConverterRunsUnderTheMemoryCap)
{
    QString failure;
    std::unique_ptr<JobRun> run = FfmpegRun::start(
        converter(QStringLiteral("cat /proc/self/limits > \"$out\"")), job(), &failure);
    ASSERT_NE(run, nullptr) << failure.toStdString();
    ASSERT_NO_FATAL_FAILURE(awaitEnd(*run));
    EXPECT_EQ(run->failure(), QString());

    QByteArray dataLimit;
    for (const QByteArray& line : contents(out() + QStringLiteral("/a.ac3")).split('\n'))
        if (line.startsWith("Max data size"))
            dataLimit = line.simplified().split(' ').value(3);
    EXPECT_EQ(dataLimit, QByteArray::number(512 << 20));
}

// A watcher that replaces each partial name in the output folder with a link
// to a file elsewhere (here before the converter even starts) never gets
// the converter to write there: the converter opens no name of the folder,
// and the batch puts in place only the file it created.
TEST_F(FfmpegRunTest, ALinkPlantedAtThePartialNameIsNeverFollowed)
{
    test::makeM4a(dir.filePath(QStringLiteral("a.m4a")), 0.5);
    const QString victim = dir.filePath(QStringLiteral("elsewhere/victim.ac3"));
    QDir().mkpath(dir.filePath(QStringLiteral("elsewhere")));
    const QString wrapper = test::writeScript(
        dir.filePath(QStringLiteral("ffmpeg")),
        QStringLiteral("for last; do :; done\n"
                       "for p in '%1'/.*.partial.ac3 \"$last\"; do\n"
                       "  case \"$p\" in '%1'/*) [ -e \"$p\" ] || [ \"$p\" = \"$last\" ] || "
                       "continue; rm -f \"$p\"; ln -s '%2' \"$p\";; esac\n"
                       "done\nexec ffmpeg \"$@\"")
            .arg(out(), victim));

    const test::BatchResult result = test::runConvert(
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--bitrate"),
         QStringLiteral("192k"), QStringLiteral("--output-dir"), out(),
         dir.filePath(QStringLiteral("a.m4a"))},
        {QStringLiteral("PLUMARK_FFMPEG=") + wrapper});

    EXPECT_FALSE(QFileInfo::exists(victim)) << result.out.toStdString();
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("elsewhere"))).isEmpty());
    EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Not converted: 1")))
        << result.out.toStdString();
    EXPECT_TRUE(entriesOfOut().isEmpty()) << entriesOfOut().join(u' ').toStdString();
}

// A converter that blocks fails only its file, in the batch too; the next
// file converts.
TEST_F(FfmpegRunTest, ABlockedConverterFailsOnlyItsFileInTheBatch)
{
    test::makeM4a(dir.filePath(QStringLiteral("in/a.m4a")), 0.5);
    test::makeM4a(dir.filePath(QStringLiteral("in/b.m4a")), 0.5);
    const QString wrapper =
        converter(QStringLiteral("for a; do [ \"$p\" = -i ] && in=$a; p=$a; done\n"
                                 "case \"$in\" in */a.m4a) exec sleep 60;; esac\n"
                                 "exec ffmpeg \"$@\""));

    const test::BatchResult result = test::runProgramConvert(
        test::FaultyProgram,
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--jobs"),
         QStringLiteral("1"), QStringLiteral("--bitrate"), QStringLiteral("192k"),
         QStringLiteral("--output-dir"), out(), dir.filePath(QStringLiteral("in"))},
        {QStringLiteral("PLUMARK_FFMPEG=") + wrapper,
         QStringLiteral("PLUMARK_TEST_STALL_SECONDS=1")});

    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Not converted: 1\n  ") +
                                    dir.filePath(QStringLiteral("in/a.m4a")) +
                                    QStringLiteral(": the converter made no progress for 1 "
                                                   "seconds\n")))
        << result.out.toStdString();
    EXPECT_EQ(test::probeMedia(out() + QStringLiteral("/b.ac3")).codec, QStringLiteral("ac3"));
    EXPECT_EQ(entriesOfOut(), QStringList{QStringLiteral("b.ac3")});
}

} // namespace
} // namespace plumark
