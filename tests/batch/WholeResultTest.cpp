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

// Runs the real ffmpeg program; its error output on failure.
QString runFfmpeg(const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                             QStringLiteral("error"), QStringLiteral("-y")} +
                     arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return QString::fromUtf8(ffmpeg.readAllStandardError()) + QStringLiteral(" (failed)");
    return {};
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

// A fragmented input cut short, within its audio or by its last few
// kilobytes (a fragment's data cut, or only its index at the end), is named
// as ending early by both engines alike.
TEST(WholeResult, ACutFragmentedInputIsNamedByBothEngines)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    const struct
    {
        const char* name;
        QStringList fragments;
        std::function<qint64(qint64)> keep; // how many bytes the cut keeps
    } cases[] = {
        {"one-fragment-cut-at-40", {}, [](qint64 size) { return size * 4 / 10; }},
        {"fragments-cut-at-40",
         {QStringLiteral("-frag_duration"), QStringLiteral("2000000")},
         [](qint64 size) { return size * 4 / 10; }},
        {"one-fragment-cut-by-8k", {}, [](qint64 size) { return size - 8192; }},
        {"fragments-cut-by-8k",
         {QStringLiteral("-frag_duration"), QStringLiteral("2000000")},
         [](qint64 size) { return size - 8192; }},
    };
    for (const auto& c : cases) {
        const QString whole = dir.filePath(QStringLiteral("%1.m4a").arg(c.name));
        ASSERT_EQ(runFfmpeg(QStringList{
                                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                QStringLiteral("sine=f=440:r=44100:d=20"), QStringLiteral("-c:a"),
                                QStringLiteral("aac"), QStringLiteral("-movflags"),
                                QStringLiteral("frag_keyframe+empty_moov")} +
                            c.fragments + QStringList{whole}),
                  QString());
        QFile source(whole);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        test::writeFile(in + QStringLiteral("/%1.m4a").arg(c.name),
                        source.read(c.keep(source.size())));
    }

    QMap<QString, QStringList> named;
    for (const QString& engine : Engines) {
        SCOPED_TRACE(engine.toStdString());
        const test::BatchResult result =
            test::runConvert({QStringLiteral("--engine"), engine, QStringLiteral("--bitrate"),
                              QStringLiteral("192k"), in});
        EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral("Converted: 4 of 4")));
        EXPECT_TRUE(result.out.contains(QStringLiteral("Converted as far as the input goes: 4\n")))
            << result.out.toStdString();
        // A file that declares no more than it holds is not said to end
        // early at its own length.
        const QRegularExpression sameTimeTwice(QStringLiteral("early: (\\d+:\\d+) of \\1$"));
        for (const QString& line : result.out.split(QLatin1Char('\n'))) {
            if (!line.contains(QStringLiteral(": input ends early: ")))
                continue;
            named[engine].append(line);
            EXPECT_FALSE(sameTimeTwice.match(line).hasMatch()) << line.toStdString();
        }
    }
    EXPECT_EQ(named.value(Engines[0]), named.value(Engines[1]));
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

// The AC3 stream a result holds, in any container.
QByteArray ac3StreamOf(const QString& result)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-i"), result, QStringLiteral("-map"), QStringLiteral("0:a"),
                  QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"),
                  QStringLiteral("ac3"), QStringLiteral("-")});
    ffmpeg.waitForFinished(60000);
    return ffmpeg.readAllStandardOutput();
}

// Where the AC3 frame nearest the middle of the file starts.
qsizetype middleFrame(const QByteArray& bytes)
{
    return bytes.indexOf(QByteArray("\x0B\x77", 2), bytes.size() / 2);
}

struct ResultCase
{
    const char* name;
    // Damages a whole result's bytes; null for one made by ffmpeg instead.
    std::function<QByteArray(QByteArray)> damage;
    // The ffmpeg program's options for a whole result this job would not
    // write; empty for a damaged one.
    QStringList otherEncoding;
};

struct ResultKind
{
    const char* container;
    const char* engine;
};

void PrintTo(const ResultKind& kind, std::ostream* os)
{
    *os << kind.container << " by " << kind.engine;
}

class DamagedResults : public testing::TestWithParam<ResultKind>
{
};

// --skip-existing keeps a result only when it is what this run would write:
// one damaged inside a frame (its length and headers intact), or whole but
// at another bit rate, sample rate or channel layout, is made again; the
// whole one is kept.
TEST_P(DamagedResults, SkipExistingRedoesDamagedOrOtherResults)
{
    const QString container = QLatin1String(GetParam().container);
    const QString engine = QLatin1String(GetParam().engine);
    const QList<ResultCase> cases{
        {"whole", [](QByteArray bytes) { return bytes; }, {}},
        {"ten-bytes-flipped",
         [](QByteArray bytes) {
             const qsizetype frame = middleFrame(bytes);
             for (qsizetype i = frame + 200; i < frame + 210; ++i)
                 bytes[i] = char(~bytes[i]);
             return bytes;
         },
         {}},
        {"frame-inside-zeroed",
         [](QByteArray bytes) {
             const qsizetype frame = middleFrame(bytes);
             return bytes.replace(frame + 8, 600, QByteArray(600, '\0'));
         },
         {}},
        {"sector-zeroed",
         [](QByteArray bytes) {
             const qsizetype sector = middleFrame(bytes) / 512 * 512;
             return bytes.replace(sector, 512, QByteArray(512, '\0'));
         },
         {}},
        {"64k-for-192k", {}, {QStringLiteral("-ab"), QStringLiteral("64k")}},
        {"44100-for-48000",
         {},
         {QStringLiteral("-ab"), QStringLiteral("192k"), QStringLiteral("-ar"),
          QStringLiteral("44100")}},
        {"mono-for-stereo",
         {},
         {QStringLiteral("-ab"), QStringLiteral("192k"), QStringLiteral("-ac"),
          QStringLiteral("1")}},
    };
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    const QString source = dir.filePath(QStringLiteral("source.m4a"));
    ASSERT_EQ(
        runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("sine=f=440:r=48000:d=3"), QStringLiteral("-ac"),
                   QStringLiteral("2"), QStringLiteral("-c:a"), QStringLiteral("aac"), source}),
        QString());
    for (const ResultCase& c : cases)
        ASSERT_TRUE(QFile::copy(source, in + QStringLiteral("/%1.m4a").arg(c.name)));
    const auto resultOf = [&](const ResultCase& c) {
        return in + QStringLiteral("/%1.").arg(c.name) + container;
    };
    const QStringList arguments{QStringLiteral("--engine"),
                                engine,
                                QStringLiteral("--container"),
                                container,
                                QStringLiteral("--bitrate"),
                                QStringLiteral("192k"),
                                in};
    const test::BatchResult first = test::runConvert(arguments);
    ASSERT_EQ(first.exitCode, 0) << first.out.toStdString();

    QMap<QString, QByteArray> streams;
    for (const ResultCase& c : cases) {
        const QString result = resultOf(c);
        streams.insert(result, ac3StreamOf(result));
        ASSERT_FALSE(streams.value(result).isEmpty()) << c.name;
        if (c.damage) {
            QFile file(result);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray whole = file.readAll();
            file.close();
            const QByteArray damaged = c.damage(whole);
            ASSERT_EQ(damaged.size(), whole.size()) << c.name;
            test::writeFile(result, damaged);
        } else {
            ASSERT_EQ(runFfmpeg(QStringList{QStringLiteral("-i"),
                                            in + QStringLiteral("/%1.m4a").arg(c.name),
                                            QStringLiteral("-vn"), QStringLiteral("-acodec"),
                                            QStringLiteral("ac3")} +
                                c.otherEncoding + QStringList{result}),
                      QString())
                << c.name;
        }
    }

    // A dry run names the same files as kept, and prints the command of
    // each other one.
    const test::BatchResult dry = test::runConvert(
        QStringList{QStringLiteral("--skip-existing"), QStringLiteral("--dry-run")} + arguments);
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    for (const ResultCase& c : cases) {
        const bool kept = std::string(c.name) == "whole";
        const QString input = in + QStringLiteral("/%1.m4a").arg(c.name);
        EXPECT_EQ(dry.err.contains(QStringLiteral("Skipped: ") + input), kept) << c.name;
        EXPECT_EQ(dry.out.contains(input), !kept) << c.name;
    }

    const test::BatchResult again =
        test::runConvert(QStringList{QStringLiteral("--skip-existing")} + arguments);
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    for (const ResultCase& c : cases) {
        const bool kept = std::string(c.name) == "whole";
        const QString input = in + QStringLiteral("/%1.m4a").arg(c.name);
        const QString said =
            kept ? QStringLiteral("] Skipped: ") + input : QStringLiteral("] Converted: ") + input;
        EXPECT_TRUE(again.out.contains(said)) << c.name << "\n" << again.out.toStdString();
        EXPECT_EQ(ac3StreamOf(resultOf(c)), streams.value(resultOf(c))) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Batch, DamagedResults,
                         testing::Values(ResultKind{"ac3", "builtin"}, ResultKind{"mka", "builtin"},
                                         ResultKind{"mp4", "builtin"}, ResultKind{"ac3", "ffmpeg"},
                                         ResultKind{"mp4", "ffmpeg"}),
                         [](const auto& info) {
                             return std::string(info.param.container) + "_" + info.param.engine;
                         });

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
