#include "BatchProcess.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// Each run is made with the in-process engine and with the ffmpeg program.
const QStringList Engines{QStringLiteral("builtin"), QStringLiteral("ffmpeg")};

QStringList hiddenFiles(const QString& folder)
{
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System)
        .filter(QRegularExpression(QStringLiteral("^\\.")));
}

QProcess* startConvert(const QStringList& arguments, QObject* parent)
{
    auto* process = new QProcess(parent);
    process->setProgram(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"));
    process->setArguments(QStringList{QStringLiteral("convert")} + arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    return process;
}

// Two batches on one output folder at once (a rerun while the first still
// goes): every result is whole, no partial is left, and neither batch says
// "Converted" for a result that is not there.
TEST(WholeResult, TwoBatchesOnOneFolderBothLeaveWholeResults)
{
    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in"));
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        for (int i = 1; i <= 6; ++i)
            test::makeM4a(in + QStringLiteral("/%1.m4a").arg(i), 0.6);
        const QStringList arguments{QStringLiteral("--engine"),
                                    engine,
                                    QStringLiteral("--jobs"),
                                    QStringLiteral("2"),
                                    QStringLiteral("--bitrate"),
                                    QStringLiteral("192k"),
                                    QStringLiteral("--output-dir"),
                                    out,
                                    in};

        QObject owner;
        QProcess* first = startConvert(arguments, &owner);
        QProcess* second = startConvert(arguments, &owner);
        for (QProcess* batch : {first, second}) {
            ASSERT_TRUE(batch->waitForFinished(120000));
            const QString summary = QString::fromUtf8(batch->readAllStandardOutput());
            EXPECT_EQ(batch->exitCode(), 0) << summary.toStdString();
            EXPECT_TRUE(summary.contains(QStringLiteral("Converted: 6 of 6")))
                << summary.toStdString();
        }
        for (int i = 1; i <= 6; ++i) {
            const test::MediaInfo result = test::probeMedia(out + QStringLiteral("/%1.ac3").arg(i));
            EXPECT_EQ(result.codec, QStringLiteral("ac3")) << i;
            EXPECT_NEAR(result.duration, 0.6, 0.1) << i;
        }
        EXPECT_TRUE(hiddenFiles(out).isEmpty()) << hiddenFiles(out).join(u' ').toStdString();
    }
}

// A link planted at the old fixed partial name or at the final name is never
// followed: its target stays as it was and the result is a file of its own.
TEST(WholeResult, PlantedLinksAreNotFollowed)
{
    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        test::makeM4a(dir.filePath(QStringLiteral("a.m4a")), 0.5);
        const QString victim = dir.filePath(QStringLiteral("victim"));
        const QString second = dir.filePath(QStringLiteral("second"));
        test::writeFile(victim, "precious");
        test::writeFile(second, "precious too");
        ASSERT_TRUE(QFile::link(victim, out + QStringLiteral("/.a.ac3.partial")));
        ASSERT_TRUE(QFile::link(second, out + QStringLiteral("/a.ac3")));

        const test::BatchResult result =
            test::runConvert({QStringLiteral("--engine"), engine, QStringLiteral("--bitrate"),
                              QStringLiteral("192k"), QStringLiteral("--output-dir"), out,
                              dir.filePath(QStringLiteral("a.m4a"))});
        EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
        QFile target(victim);
        ASSERT_TRUE(target.open(QIODevice::ReadOnly));
        EXPECT_EQ(target.readAll(), QByteArray("precious"));
        QFile other(second);
        ASSERT_TRUE(other.open(QIODevice::ReadOnly));
        EXPECT_EQ(other.readAll(), QByteArray("precious too"));
        EXPECT_FALSE(QFileInfo(out + QStringLiteral("/a.ac3")).isSymLink());
        EXPECT_EQ(test::probeMedia(out + QStringLiteral("/a.ac3")).codec, QStringLiteral("ac3"));
    }
}

// A rerun whose input is now damaged fails and keeps the good old result.
TEST(WholeResult, AFailingRerunKeepsTheOldResult)
{
    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("a.m4a"));
        const QString output = dir.filePath(QStringLiteral("a.ac3"));
        const QStringList arguments{QStringLiteral("--engine"), engine, QStringLiteral("--bitrate"),
                                    QStringLiteral("192k"), input};
        test::makeM4a(input, 0.5);
        ASSERT_EQ(test::runConvert(arguments).exitCode, 0);
        const QByteArray good = test::fileHash(output);

        test::writeFile(input, "the source is damaged now");
        const test::BatchResult rerun = test::runConvert(arguments);
        EXPECT_EQ(rerun.exitCode, 1) << rerun.out.toStdString();
        EXPECT_TRUE(rerun.out.contains(QStringLiteral("Not converted: 1")));
        EXPECT_EQ(test::fileHash(output), good);
        EXPECT_TRUE(hiddenFiles(dir.path()).isEmpty());
    }
}

// An input whose data ends before its declared length is converted as far
// as it goes, named in the summary, and the batch exits with 1.
TEST(WholeResult, ATruncatedInputIsConvertedAndNamed)
{
    QTemporaryDir dir;
    const QString whole = dir.filePath(QStringLiteral("whole.m4a"));
    const QString cut = dir.filePath(QStringLiteral("in/cut.m4a"));
    QDir().mkpath(dir.filePath(QStringLiteral("in")));
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    // The index first: a cut file keeps its declared length.
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=f=440:r=44100:d=20"), QStringLiteral("-c:a"),
                  QStringLiteral("aac"), QStringLiteral("-movflags"), QStringLiteral("+faststart"),
                  whole});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));
    ASSERT_EQ(ffmpeg.exitCode(), 0);
    QFile source(whole);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    test::writeFile(cut, source.read(source.size() * 4 / 10));

    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        const test::BatchResult result =
            test::runConvert({QStringLiteral("--engine"), engine, QStringLiteral("--bitrate"),
                              QStringLiteral("192k"), dir.filePath(QStringLiteral("in"))});
        EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral("Converted: 1 of 1")));
        EXPECT_TRUE(
            result.out.contains(QStringLiteral("Converted as far as the input goes: 1\n  ") + cut +
                                QStringLiteral(": input ends early: 0:08 of 0:20\n")))
            << result.out.toStdString();
        EXPECT_NEAR(test::probeMedia(dir.filePath(QStringLiteral("in/cut.ac3"))).duration, 7.7,
                    0.3);
    }
}

// --skip-existing keeps a result only when its frames run whole to its end
// and hold its input's audio: cut, lengthened, zeroed, empty and header-only
// results are made again, for inputs of several lengths.
TEST(WholeResult, SkipExistingKeepsOnlyWholeResults)
{
    struct Case
    {
        const char* name;
        bool kept;
        std::function<QByteArray(const QByteArray&)> damage;
    };
    // At 48 kHz and 192k every AC3 frame is 768 bytes.
    constexpr int FrameBytes = 768;
    const QList<Case> cases{
        {"whole", true, [](const QByteArray& result) { return result; }},
        {"cut-by-a-frame", false,
         [](const QByteArray& result) { return result.left(result.size() - FrameBytes); }},
        {"a-frame-more", false,
         [](const QByteArray& result) { return result + result.right(FrameBytes); }},
        {"cut-mid-frame", false,
         [](const QByteArray& result) { return result.left(result.size() - 100); }},
        {"zero-filled", false,
         [](const QByteArray& result) { return QByteArray(result.size(), '\0'); }},
        {"empty", false, [](const QByteArray&) { return QByteArray(); }},
        {"header-only", false, [](const QByteArray& result) { return result.left(6); }},
    };
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    const QList<double> lengths{0.5, 1.0, 1.7, 2.3};
    for (const double seconds : lengths) {
        const QString source = dir.filePath(QStringLiteral("%1.m4a").arg(seconds));
        QProcess ffmpeg;
        ffmpeg.setStandardInputFile(QProcess::nullDevice());
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=440:r=48000:d=%1").arg(seconds),
                      QStringLiteral("-c:a"), QStringLiteral("aac"), source});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        for (const Case& c : cases)
            QFile::copy(source, in + QStringLiteral("/%1-%2.m4a").arg(seconds).arg(c.name));
    }
    const QStringList arguments{QStringLiteral("--bitrate"), QStringLiteral("192k"), in};
    ASSERT_EQ(test::runConvert(arguments).exitCode, 0);
    QMap<QString, QByteArray> whole;
    for (const double seconds : lengths) {
        for (const Case& c : cases) {
            const QString result = in + QStringLiteral("/%1-%2.ac3").arg(seconds).arg(c.name);
            QFile file(result);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            whole.insert(result, bytes);
            test::writeFile(result, c.damage(bytes));
        }
    }

    const test::BatchResult again =
        test::runConvert(QStringList{QStringLiteral("--skip-existing")} + arguments);
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    for (const double seconds : lengths) {
        for (const Case& c : cases) {
            const QString input = in + QStringLiteral("/%1-%2.m4a").arg(seconds).arg(c.name);
            const QString result = in + QStringLiteral("/%1-%2.ac3").arg(seconds).arg(c.name);
            const QString said = c.kept ? QStringLiteral("] Skipped: ") + input
                                        : QStringLiteral("] Converted: ") + input;
            EXPECT_TRUE(again.out.contains(said)) << result.toStdString();
            QFile file(result);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), whole.value(result)) << result.toStdString();
        }
    }
}

// The children of a process, by their parent's id in /proc.
QList<pid_t> childrenOf(pid_t parent)
{
    QList<pid_t> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = stat.readAll().split(')').constLast().split(' ');
        if (fields.size() > 2 && fields[2].toInt() == parent)
            children.append(pid_t(entry.toInt()));
    }
    return children;
}

bool gone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

// A batch killed outright while the ffmpeg program converts: the converter
// does not outlive it, and nothing is left at the final name.
TEST(WholeResult, AKilledFfmpegBatchLeavesNoConverterAndNoResult)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("long.m4a"));
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=f=440:r=44100:d=900"), QStringLiteral("-c:a"),
                  QStringLiteral("alac"), input});
    ASSERT_TRUE(ffmpeg.waitForFinished(120000));

    QList<pid_t> converters;
    test::runConvert(
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--bitrate"),
         QStringLiteral("192k"), input},
        {}, [&](QProcess& process) {
            // The batch makes the partial result, then starts the converter.
            const pid_t batch = pid_t(process.processId());
            for (int i = 0;
                 i < 400 && (hiddenFiles(dir.path()).isEmpty() || childrenOf(batch).isEmpty()); ++i)
                QThread::msleep(10);
            ASSERT_FALSE(hiddenFiles(dir.path()).isEmpty());
            converters = childrenOf(batch);
            ::kill(pid_t(process.processId()), SIGKILL);
        });
    ASSERT_FALSE(converters.isEmpty());
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = std::all_of(converters.begin(), converters.end(), gone);
        if (!ended)
            QThread::msleep(20);
    }
    EXPECT_TRUE(ended);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("long.ac3"))));
}

// The result's data is synced before its rename and its folder after it.
TEST(WholeResult, DataIsSyncedBeforeTheRenameAndTheFolderAfter)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        QTemporaryDir dir;
        test::makeM4a(dir.filePath(QStringLiteral("a.m4a")), 0.5);
        QProcess traced;
        traced.setStandardInputFile(QProcess::nullDevice());
        // A sanitized build's leak check cannot run under ptrace and would fail the run; the
        // other batch tests check leaks.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                           QStringLiteral(":detect_leaks=0"));
        traced.setProcessEnvironment(env);
        traced.start(strace,
                     {QStringLiteral("-f"), QStringLiteral("-e"),
                      QStringLiteral("trace=fsync,rename,renameat,renameat2"), QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("trace")),
                      QStringLiteral(PLUMARK_BINARY_DIR "/plumark"), QStringLiteral("convert"),
                      QStringLiteral("--engine"), engine, QStringLiteral("--bitrate"),
                      QStringLiteral("192k"), dir.filePath(QStringLiteral("a.m4a"))});
        ASSERT_TRUE(traced.waitForFinished(120000));
        ASSERT_EQ(traced.exitCode(), 0) << traced.readAllStandardError().toStdString();
        QFile trace(dir.filePath(QStringLiteral("trace")));
        ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
        QStringList calls;
        for (const QByteArray& line : trace.readAll().split('\n')) {
            if (line.contains("fsync(") && !line.contains("= -1"))
                calls.append(QStringLiteral("fsync"));
            else if (line.contains("rename") && line.contains("a.ac3"))
                calls.append(QStringLiteral("rename"));
        }
        const QString order = calls.join(u' ');
        EXPECT_TRUE(order.contains(QStringLiteral("fsync rename fsync"))) << order.toStdString();
    }
}

} // namespace
} // namespace plumark
