#include "BatchProcess.h"
#include "support/ChildState.h"
#include "support/Media.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plumark {
namespace {

const QString OddName = QStringLiteral("it's \"odd\" $name `x`.m4a");

// Every file under a folder by its path relative to it, with its checksum.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), test::fileHash(path));
    }
    return files;
}

// Nested folders, odd names and, when asked, one file that is no audio.
void makeCorpus(const QString& root, bool withBrokenFile)
{
    test::makeM4a(root + QStringLiteral("/a.m4a"));
    test::makeM4a(root + QLatin1Char('/') + OddName);
    test::makeM4a(root + QStringLiteral("/sub/b.m4a"), 1.2);
    // Without --keep-tree its result would replace the one of "a.m4a": it is
    // not converted.
    test::makeM4a(root + QStringLiteral("/sub/a.m4a"), 1.4);
    test::makeM4a(root + QStringLiteral("/sub/deeper/c d.m4a"), 0.8);
    test::writeFile(root + QStringLiteral("/sub/notes.txt"), "not an input");
    if (withBrokenFile)
        test::writeFile(root + QStringLiteral("/sub/broken.m4a"), "this is no audio at all");
}

TEST(BatchRun, ParallelRunConvertsEveryValidFileAsOneAtATimeDoes)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    makeCorpus(in, true);
    const QString parallelOut = dir.filePath(QStringLiteral("out2"));
    const QString serialOut = dir.filePath(QStringLiteral("out1"));
    QDir().mkpath(parallelOut);
    QDir().mkpath(serialOut);

    const test::BatchResult parallel = test::runConvert(
        {QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--bitrate"),
         QStringLiteral("192"), QStringLiteral("--output-dir"), parallelOut, in});
    EXPECT_EQ(parallel.exitCode, 1) << parallel.err.toStdString();

    const QMap<QString, QByteArray> results = filesUnder(parallelOut);
    const QStringList expected{QStringLiteral("a.ac3"), QStringLiteral("b.ac3"),
                               QStringLiteral("c d.ac3"),
                               QStringLiteral("it's \"odd\" $name `x`.ac3")};
    EXPECT_EQ(results.keys(), expected);
    for (const QString& name : expected) {
        const test::MediaInfo info = test::probeMedia(parallelOut + QLatin1Char('/') + name);
        EXPECT_EQ(info.codec, QStringLiteral("ac3")) << name.toStdString();
        EXPECT_EQ(info.bitRate, 192000) << name.toStdString();
    }

    // Not on a terminal: one line per finished file, then the summary naming
    // the file that could not be converted.
    EXPECT_EQ(parallel.out.count(QStringLiteral("/6] ")), 6) << parallel.out.toStdString();
    EXPECT_TRUE(parallel.out.contains(QStringLiteral("Converted: 4 of 6")));
    EXPECT_TRUE(parallel.out.contains(QStringLiteral("Not converted: 2\n")));
    EXPECT_TRUE(parallel.out.contains(
        QStringLiteral("\n  %1/sub/a.m4a: The result would replace the result of \"%1/a.m4a\".\n")
            .arg(in)))
        << parallel.out.toStdString();
    EXPECT_NEAR(test::probeMedia(parallelOut + QStringLiteral("/a.ac3")).duration, 1.0, 0.1);
    EXPECT_TRUE(
        parallel.out.contains(QStringLiteral("\n  ") + in + QStringLiteral("/sub/broken.m4a: ")))
        << parallel.out.toStdString();

    const test::BatchResult serial = test::runConvert(
        {QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("--bitrate"),
         QStringLiteral("192"), QStringLiteral("--output-dir"), serialOut, in});
    EXPECT_EQ(serial.exitCode, 1);
    EXPECT_EQ(filesUnder(serialOut), results);

    // The ffmpeg program, one run per file, writes the very same results.
    const QString programOut = dir.filePath(QStringLiteral("out-ffmpeg"));
    QDir().mkpath(programOut);
    const test::BatchResult program = test::runConvert(
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--jobs"),
         QStringLiteral("2"), QStringLiteral("--bitrate"), QStringLiteral("192"),
         QStringLiteral("--output-dir"), programOut, in});
    EXPECT_EQ(program.exitCode, 1);
    EXPECT_EQ(filesUnder(programOut), results);
}

// A result never replaces a file of the batch, in either order of the
// arguments and also when the file is named through a link to its folder.
TEST(BatchRun, NoResultReplacesAFileOfTheBatch)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString ac3 = out + QStringLiteral("/song.ac3");
    const QString input = dir.filePath(QStringLiteral("music/song.m4a"));
    test::makeM4a(input);
    QDir().mkpath(out);
    QFile::copy(input, ac3);
    QFile::link(out, dir.filePath(QStringLiteral("link")));
    const QByteArray before = test::fileHash(ac3);
    const QString linked = dir.filePath(QStringLiteral("link/song.ac3"));
    const QList<QStringList> argumentLists = {
        {ac3, input}, {input, ac3}, {input, linked}, {QStringLiteral("--dry-run"), input, ac3}};
    for (const QStringList& files : argumentLists) {
        const test::BatchResult result =
            test::runConvert(QStringList{QStringLiteral("--bitrate"), QStringLiteral("192"),
                                         QStringLiteral("--output-dir"), out} +
                             files);
        const QString listed = files.last() == input ? files.first() : files.last();
        EXPECT_EQ(result.exitCode, 1) << result.out.toStdString() << result.err.toStdString();
        EXPECT_EQ(test::fileHash(ac3), before) << files.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE((result.out + result.err)
                        .contains(input + QStringLiteral(": The result would replace the listed "
                                                         "file \"%1\".")
                                              .arg(listed)))
            << result.out.toStdString() << result.err.toStdString();
    }
}

// Two inputs of one name saved to one folder: the later one is not converted
// and names the earlier one, whose result stays.
TEST(BatchRun, TheSecondOfTwoSameNamedInputsIsNotConvertedAndNamesTheFirst)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("in/Album A/01 Intro.m4a"));
    const QString second = dir.filePath(QStringLiteral("in/Album B/01 Intro.m4a"));
    const QString out = dir.filePath(QStringLiteral("out"));
    test::makeM4a(first, 1.0);
    test::makeM4a(second, 2.0);
    QDir().mkpath(out);

    const test::BatchResult result = test::runConvert(
        {QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--bitrate"),
         QStringLiteral("192"), QStringLiteral("--output-dir"), out, dir.filePath("in")});
    EXPECT_EQ(result.exitCode, 1) << result.out.toStdString() << result.err.toStdString();
    EXPECT_EQ(filesUnder(out).keys(), QStringList{QStringLiteral("01 Intro.ac3")});
    EXPECT_NEAR(test::probeMedia(out + QStringLiteral("/01 Intro.ac3")).duration, 1.0, 0.1);
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("Converted: 1 of 2\nNot converted: 1\n  %1: The result would replace the "
                       "result of \"%2\".\n")
            .arg(second, first)))
        << result.out.toStdString();

    // A missing input of the same name writes nothing, so it takes no name.
    QFile::remove(out + QStringLiteral("/01 Intro.ac3"));
    const test::BatchResult afterMissing = test::runConvert(
        {QStringLiteral("--bitrate"), QStringLiteral("192"), QStringLiteral("--output-dir"), out,
         dir.filePath("in/Gone/01 Intro.m4a"), second});
    EXPECT_EQ(afterMissing.exitCode, 1) << afterMissing.out.toStdString();
    EXPECT_NEAR(test::probeMedia(out + QStringLiteral("/01 Intro.ac3")).duration, 2.0, 0.1)
        << afterMissing.out.toStdString();

    // Kept apart by --keep-tree, both are converted.
    const test::BatchResult kept = test::runConvert(
        {QStringLiteral("--keep-tree"), QStringLiteral("--bitrate"), QStringLiteral("192"),
         QStringLiteral("--output-dir"), out, dir.filePath("in")});
    EXPECT_EQ(kept.exitCode, 0) << kept.out.toStdString();
    EXPECT_EQ(filesUnder(out).keys(),
              (QStringList{QStringLiteral("01 Intro.ac3"), QStringLiteral("Album A/01 Intro.ac3"),
                           QStringLiteral("Album B/01 Intro.ac3")}));
}

// An output folder removed during the batch: the later files are not
// converted, with the window's reason.
TEST(BatchRun, AnOutputFolderRemovedMidwayStopsTheLaterFiles)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    for (const char* name : {"1.m4a", "2.m4a"})
        test::writeFile(dir.filePath(QStringLiteral("in/") + QLatin1String(name)), "input");
    // A converter whose output folder disappears as it finishes. (It writes
    // to its last argument.)
    const QString converter = test::writeScript(
        dir.filePath(QStringLiteral("ffmpeg")),
        QStringLiteral("for out; do :; done\nprintf ac3 > \"$out\"\nrm -r '%1'").arg(out));

    const test::BatchResult result = test::runConvert(
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--jobs"),
         QStringLiteral("1"), QStringLiteral("--bitrate"), QStringLiteral("192"),
         QStringLiteral("--output-dir"), out, dir.filePath(QStringLiteral("in"))},
        {QStringLiteral("PLUMARK_FFMPEG=") + converter});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("\n  %1: Folder does not exist. Please select another folder.\n")
            .arg(dir.filePath(QStringLiteral("in/2.m4a")))))
        << result.out.toStdString();
    EXPECT_EQ(filesUnder(dir.filePath(QStringLiteral("in"))).size(), 2);
}

TEST(BatchRun, KeepTreeMirrorsFoldersAndSkipExistingResumes)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    makeCorpus(in, false);
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    const QStringList arguments{QStringLiteral("--keep-tree"),
                                QStringLiteral("--bitrate"),
                                QStringLiteral("128k"),
                                QStringLiteral("--output-dir"),
                                out,
                                in + QLatin1Char('/')};

    const test::BatchResult first = test::runConvert(arguments);
    EXPECT_EQ(first.exitCode, 0) << first.out.toStdString() << first.err.toStdString();
    const QMap<QString, QByteArray> results = filesUnder(out);
    EXPECT_EQ(results.keys(),
              QStringList({QStringLiteral("a.ac3"), QStringLiteral("it's \"odd\" $name `x`.ac3"),
                           QStringLiteral("sub/a.ac3"), QStringLiteral("sub/b.ac3"),
                           QStringLiteral("sub/deeper/c d.ac3")}));
    const QDateTime written = QFileInfo(out + QStringLiteral("/sub/b.ac3")).lastModified();

    const test::BatchResult again =
        test::runConvert(QStringList{QStringLiteral("--skip-existing")} + arguments);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("Converted: 0 of 5")));
    EXPECT_TRUE(again.out.contains(QStringLiteral("Skipped: 5")));
    EXPECT_TRUE(again.out.contains(QStringLiteral("Nothing to convert")));
    EXPECT_EQ(filesUnder(out), results);
    EXPECT_EQ(QFileInfo(out + QStringLiteral("/sub/b.ac3")).lastModified(), written);

    // A result that is no readable AC3 (an empty file here) is made again.
    test::writeFile(out + QStringLiteral("/sub/deeper/c d.ac3"), QByteArray());
    const test::BatchResult resumed =
        test::runConvert(QStringList{QStringLiteral("--skip-existing")} + arguments);
    EXPECT_EQ(resumed.exitCode, 0);
    EXPECT_TRUE(resumed.out.contains(QStringLiteral("Converted: 1 of 5")));
    EXPECT_TRUE(resumed.out.contains(QStringLiteral("Skipped: 4")));
    EXPECT_EQ(filesUnder(out), results);
}

// Ctrl+C, or a request to end: the converters are stopped, their partial
// results removed and the tools folder with them.
TEST(BatchRun, StopLeavesNoPartialResultAndNoToolsFolder)
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        QTemporaryDir dir;
        const QString temp = dir.filePath(QStringLiteral("temp"));
        const QString in = dir.filePath(QStringLiteral("in"));
        const QString out = dir.filePath(QStringLiteral("out"));
        const QString pids = dir.filePath(QStringLiteral("pids"));
        QDir().mkpath(temp);
        QDir().mkpath(out);
        QDir().mkpath(pids);
        for (const char* name : {"1.m4a", "2.m4a", "3.m4a", "4.m4a"})
            test::writeFile(in + QLatin1Char('/') + QLatin1String(name), "input");
        // A converter that writes part of its result and then takes its time.
        const QString slow =
            test::writeScript(dir.filePath(QStringLiteral("slow-ffmpeg")),
                              QStringLiteral("echo $$ > \"$PIDS/$$\"\nfor out; do :; done\n"
                                             "printf partial > \"$out\"\nexec sleep 60"));

        const test::BatchResult result = test::runConvert(
            {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--jobs"),
             QStringLiteral("2"), QStringLiteral("--bitrate"), QStringLiteral("192"),
             QStringLiteral("--output-dir"), out, in},
            {QStringLiteral("PLUMARK_FFMPEG=") + slow, QStringLiteral("TEMP=") + temp,
             QStringLiteral("PIDS=") + pids},
            [&](QProcess& process) {
                // Both converters run (the batch makes their partial results
                // before it starts them).
                const auto converting = [&] {
                    return filesUnder(out).size() == 2 &&
                           QDir(pids).entryList(QDir::Files).size() == 2;
                };
                for (int i = 0; i < 200 && !converting(); ++i)
                    QThread::msleep(50);
                ASSERT_TRUE(converting());
                ::kill(pid_t(process.processId()), signalNumber);
            });
        EXPECT_EQ(result.exitCode, 130) << result.out.toStdString() << result.err.toStdString();
        EXPECT_TRUE(filesUnder(out).isEmpty());
        EXPECT_TRUE(
            QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        EXPECT_TRUE(result.out.contains(QStringLiteral("Stopped.")));
        EXPECT_TRUE(result.out.contains(QStringLiteral("Not converted: 2")));
        EXPECT_TRUE(result.out.contains(QStringLiteral("Not started: 2")));

        // Both converters were ended (the exec'd sleep has the script's pid).
        const QStringList started = QDir(pids).entryList(QDir::Files);
        EXPECT_EQ(started.size(), 2);
        for (const QString& pid : started) {
            bool gone = false;
            for (int i = 0; i < 100 && !gone; ++i) {
                gone = ::kill(pid_t(pid.toInt()), 0) != 0;
                if (!gone)
                    QThread::msleep(20);
            }
            EXPECT_TRUE(gone) << pid.toStdString();
        }
    }
}

TEST(BatchRun, RatesFollowTheInputOrAreSnappedAndSaidSo)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("song.m4a"));
    test::makeM4a(input, 1.0, 96);

    test::makeM4a(dir.filePath(QStringLiteral("more/loud.m4a")), 1.0, 160);
    test::makeM4a(dir.filePath(QStringLiteral("more/quiet.m4a")), 1.0, 64);
    test::makeM4a(dir.filePath(QStringLiteral("more/quiet too.m4a")), 1.0, 64);

    // Without --bitrate the probe reads each input's own rate, also for the
    // files whose rate is found while another converts; results go beside
    // their sources. One line counts the rates made, none names a file.
    const test::BatchResult own = test::runConvert({QStringLiteral("--jobs"), QStringLiteral("1"),
                                                    input, dir.filePath(QStringLiteral("more"))});
    EXPECT_EQ(own.exitCode, 0) << own.out.toStdString() << own.err.toStdString();
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("song.ac3"))).bitRate, 96000);
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("more/loud.ac3"))).bitRate, 160000);
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("more/quiet.ac3"))).bitRate, 64000);
    EXPECT_TRUE(own.out.contains(QStringLiteral("\nRates: 64k x 2, 96k x 1, 160k x 1\n")))
        << own.out.toStdString();
    EXPECT_EQ(own.out.count(QStringLiteral("Rate")), 1) << own.out.toStdString();

    const struct
    {
        const char* asked;
        int made;
        const char* line; // empty when the rate was kept
    } cases[] = {{"144 kbps", 128000, "\nRate: asked 144k; AC3 allows 128k\n"},
                 {"192", 192000, ""}};
    for (const auto& c : cases) {
        const test::BatchResult constant =
            test::runConvert({QStringLiteral("--bitrate"), QLatin1String(c.asked), input,
                              dir.filePath(QStringLiteral("more"))});
        EXPECT_EQ(constant.exitCode, 0);
        EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("song.ac3"))).bitRate, c.made);
        EXPECT_EQ(constant.out.count(QStringLiteral("Rate")), *c.line ? 1 : 0)
            << constant.out.toStdString();
        EXPECT_TRUE(constant.out.contains(QLatin1String(c.line))) << constant.out.toStdString();
    }
}

// A probe that fails on every file: each input only it can read is
// converted at the fallback rate and named with the reason.
TEST(BatchRun, FilesWhoseRateProbeFailedAreNamed)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("song.wav"));
    test::makeWave(input);
    const QString probe =
        test::writeScript(dir.filePath(QStringLiteral("exiftool")), QStringLiteral("exit 3"));
    const test::BatchResult result =
        test::runConvert({QStringLiteral("--fallback"), QStringLiteral("96"), input},
                         {QStringLiteral("PLUMARK_EXIFTOOL=") + probe});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("song.ac3"))).bitRate, 96000);
    EXPECT_TRUE(result.out.contains(QStringLiteral("Own rate not read, the fallback rate was "
                                                   "asked:\n  ") +
                                    input +
                                    QStringLiteral(": the rate probe ended while reading this "
                                                   "file (exit code 3)\n")))
        << result.out.toStdString();
}

// A batch that is killed while it converts leaves no probe behind, waiting
// for requests. (With one file the probe is idle by then.)
TEST(BatchRun, KilledBatchLeavesNoProbe)
{
    QTemporaryDir dir;
    test::makeWave(dir.filePath(QStringLiteral("in/a.wav")));
    const QString pidFile = dir.filePath(QStringLiteral("probe.pid"));
    const QString started = dir.filePath(QStringLiteral("converting"));
    const QString probe =
        test::writeScript(dir.filePath(QStringLiteral("exiftool")),
                          QStringLiteral("echo $$ > '%1'\nexec exiftool \"$@\"").arg(pidFile));
    const QString slow = test::writeScript(dir.filePath(QStringLiteral("ffmpeg")),
                                           QStringLiteral("touch '%1'\nexec sleep 2").arg(started));
    test::runConvert(
        {QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--jobs"),
         QStringLiteral("1"), QStringLiteral("--ext"), QStringLiteral("wav"), dir.filePath("in")},
        {QStringLiteral("PLUMARK_EXIFTOOL=") + probe, QStringLiteral("PLUMARK_FFMPEG=") + slow},
        [&](QProcess& process) {
            for (int i = 0; i < 200 && !QFileInfo::exists(started); ++i)
                QThread::msleep(50);
            ::kill(pid_t(process.processId()), SIGKILL);
        });
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pid = file.readAll().trimmed();
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = test::goneOrZombie(pid_t(pid.toInt()));
        if (!gone)
            QThread::msleep(20);
    }
    EXPECT_TRUE(gone) << pid.toStdString();
    if (!gone)
        ::kill(pid_t(pid.toInt()), SIGKILL);
}

// The output folder is made with its parents, also for the mirrored tree.
TEST(BatchRun, MissingOutputFolderIsMade)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    test::makeM4a(in + QStringLiteral("/a.m4a"));
    test::makeM4a(in + QStringLiteral("/sub/b.m4a"));
    for (const bool keepTree : {false, true}) {
        const QString out =
            dir.filePath(keepTree ? QStringLiteral("new/tree") : QStringLiteral("new/flat"));
        QStringList arguments{QStringLiteral("--bitrate"), QStringLiteral("96"),
                              QStringLiteral("--output-dir"), out, in};
        if (keepTree)
            arguments.prepend(QStringLiteral("--keep-tree"));
        const test::BatchResult result = test::runConvert(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(filesUnder(out).keys(),
                  keepTree ? QStringList({QStringLiteral("a.ac3"), QStringLiteral("sub/b.ac3")})
                           : QStringList({QStringLiteral("a.ac3"), QStringLiteral("b.ac3")}));
    }
}

// What "find -print0" hands over is converted, exactly that; the names in a
// list are files even when one is a folder.
TEST(BatchRun, FilesFromConvertsExactlyTheListedFiles)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    makeCorpus(in, false);
    QDir().mkpath(in + QStringLiteral("/folder.m4a"));
    QProcess find;
    find.start(QStringLiteral("find"),
               {in, QStringLiteral("-name"), QStringLiteral("*.m4a"), QStringLiteral("-not"),
                QStringLiteral("-path"), QStringLiteral("*/deeper/*"), QStringLiteral("-print0")});
    ASSERT_TRUE(find.waitForFinished());
    const QByteArray listed = find.readAllStandardOutput();
    ASSERT_EQ(listed.count('\0'), 5);

    const QString out = dir.filePath(QStringLiteral("out"));
    const test::BatchResult piped = test::runConvert(
        {QStringLiteral("--bitrate"), QStringLiteral("96"), QStringLiteral("--keep-tree"),
         QStringLiteral("--output-dir"), out, QStringLiteral("--files-from"), QStringLiteral("-"),
         QStringLiteral("-0")},
        {}, {}, {}, listed);
    EXPECT_EQ(piped.exitCode, 1) << piped.out.toStdString();
    EXPECT_EQ(filesUnder(out).keys(), QStringList({QStringLiteral("a.ac3"), QStringLiteral("b.ac3"),
                                                   QStringLiteral("it's \"odd\" $name `x`.ac3")}));
    // Of "a.m4a" and "sub/a.m4a", the one listed later would replace the
    // other's result.
    EXPECT_TRUE(piped.out.contains(QStringLiteral("Converted: 3 of 5"))) << piped.out.toStdString();
    EXPECT_TRUE(piped.out.contains(in + QStringLiteral("/folder.m4a: This is a folder")));
    EXPECT_EQ(piped.out.count(QStringLiteral("/a.m4a: The result would replace the result of")), 2);

    // One name a line, from a file, relative to the working folder.
    test::writeFile(dir.filePath(QStringLiteral("list")), "in/a.m4a\n\nin/sub/deeper/c d.m4a\n");
    const test::BatchResult lines = test::runConvert(
        {QStringLiteral("--bitrate"), QStringLiteral("96"), QStringLiteral("--output-dir"),
         QStringLiteral("lined"), QStringLiteral("--files-from"), QStringLiteral("list")},
        {}, {}, dir.path());
    EXPECT_EQ(lines.exitCode, 0) << lines.out.toStdString() << lines.err.toStdString();
    EXPECT_EQ(filesUnder(dir.filePath(QStringLiteral("lined"))).keys(),
              QStringList({QStringLiteral("a.ac3"), QStringLiteral("c d.ac3")}));
}

// Names from an old disk, in Latin-1: the bytes of each name reach the
// converter and the result's name unchanged, through a folder scan, a file
// argument and a list; the summary shows the odd bytes escaped.
TEST(BatchRun, NamesThatAreNoValidTextAreConverted)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray in = root + "/in";
    test::makeM4a(dir.filePath(QStringLiteral("in/plain.m4a")));
    ASSERT_EQ(::mkdir((in + "/caf\xe9").constData(), 0700), 0);
    ASSERT_EQ(
        ::rename((in + "/plain.m4a").constData(), (in + "/caf\xe9/d\xe9j\xe0.m4a").constData()), 0);
    test::makeM4a(dir.filePath(QStringLiteral("single.m4a")));
    ASSERT_EQ(::rename((root + "/single.m4a").constData(), (root + "/\xc0 part.m4a").constData()),
              0);
    test::writeFile(dir.filePath(QStringLiteral("list")), root + "/\xc0 part.m4a\n");

    // Only a shell hands the program an argument that is no valid text.
    const QString runner = test::writeScript(
        dir.filePath(QStringLiteral("run")),
        QStringLiteral("exec '%1' convert --bitrate 96 --keep-tree --output-dir out/$1 in "
                       "\"$(printf '\\300 part.m4a')\"")
            .arg(QStringLiteral(PLUMARK_BINARY_DIR "/plumark")));
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start(runner, {QStringLiteral("args")});
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString shown = QString::fromUtf8(shell.readAllStandardOutput());
    EXPECT_EQ(shell.exitCode(), 0) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("caf\\xE9/d\\xE9j\\xE0.ac3"))) << shown.toStdString();

    const test::BatchResult listed = test::runConvert(
        {QStringLiteral("--bitrate"), QStringLiteral("96"), QStringLiteral("--output-dir"),
         QStringLiteral("out/list"), QStringLiteral("--files-from"), QStringLiteral("list")},
        {}, {}, dir.path());
    EXPECT_EQ(listed.exitCode, 0) << listed.out.toStdString();

    for (const QByteArray& result :
         {QByteArray("/out/args/caf\xe9/d\xe9j\xe0.ac3"), QByteArray("/out/args/\xc0 part.ac3"),
          QByteArray("/out/list/\xc0 part.ac3")}) {
        const int fd = ::open((root + result).constData(), O_RDONLY);
        EXPECT_GE(fd, 0) << result.toStdString();
        unsigned char sync[2] = {};
        EXPECT_EQ(::read(fd, sync, 2), 2);
        EXPECT_TRUE(sync[0] == 0x0B && sync[1] == 0x77) << result.toStdString();
        ::close(fd);
    }
}

TEST(BatchRun, ANameHoldingARateTagConvertsAtTheInputsOwnRate)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Avg Bitrate/Audio Bitrate test.m4a"));
    test::makeM4a(input, 1.0, 160);

    const test::BatchResult result =
        test::runConvert({QStringLiteral("--fallback"), QStringLiteral("64"), input});
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString() << result.err.toStdString();
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("Avg Bitrate/Audio Bitrate test.ac3")))
                  .bitRate,
              160000);
}

TEST(BatchRun, DryRunPrintsCommandLinesOnly)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(OddName);
    test::writeFile(input, "input");
    // A name without a folder is the file in the working folder.
    const test::BatchResult result = test::runConvert(
        {QStringLiteral("--dry-run"), QStringLiteral("--bitrate"), QStringLiteral("192"), OddName},
        {}, {}, dir.path());
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString output = dir.filePath(QStringLiteral("it's \"odd\" $name `x`.ac3"));
    EXPECT_TRUE(result.out.endsWith(QStringLiteral(" -i \"") + input +
                                    QStringLiteral("\" -ab 192k -acodec ac3 \"") + output +
                                    QStringLiteral("\"\n")))
        << result.out.toStdString();
    EXPECT_EQ(result.out.count(QLatin1Char('\n')), 1);
    EXPECT_FALSE(QFileInfo::exists(output));
}

// A dry run writes nothing, neither the output folders nor a tools folder,
// and prints commands that still run once it has ended: they name the
// installed converter.
TEST(BatchRun, DryRunWritesNothingAndItsCommandsRun)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    const QString out = dir.filePath(QStringLiteral("out/new"));
    const QString temp = dir.filePath(QStringLiteral("temp"));
    test::makeM4a(in + QStringLiteral("/sub/a.m4a"), 0.5);
    QDir().mkpath(temp);
    for (const QStringList& rate :
         {QStringList{QStringLiteral("--bitrate"), QStringLiteral("192")}, QStringList{}}) {
        const test::BatchResult result =
            test::runConvert(QStringList{QStringLiteral("--dry-run"), QStringLiteral("--keep-tree"),
                                         QStringLiteral("--output-dir"), out, in} +
                                 rate,
                             {QStringLiteral("TEMP=") + temp});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out"))));
        EXPECT_TRUE(QDir(temp).isEmpty()) << QDir(temp).entryList().join(u' ').toStdString();
        const QString command = result.out.trimmed();
        EXPECT_TRUE(command.startsWith(QLatin1Char('"') +
                                       QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) +
                                       QLatin1Char('"')))
            << command.toStdString();
        if (rate.isEmpty())
            continue;
        // These names need no quoting beyond the double quotes.
        QDir().mkpath(out + QStringLiteral("/sub"));
        QProcess shell;
        shell.setStandardInputFile(QProcess::nullDevice());
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        ASSERT_TRUE(shell.waitForFinished(120000));
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
        EXPECT_EQ(test::probeMedia(out + QStringLiteral("/sub/a.ac3")).codec,
                  QStringLiteral("ac3"));
        QDir(dir.filePath(QStringLiteral("out"))).removeRecursively();
    }
}

// A partial result left by a batch killed outright on this host is removed
// by the next batch writing into its folder; one whose writer may still be
// there, one of another host and every other name stay.
TEST(BatchRun, PartialsOfDeadBatchesAreRemoved)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out"));
    test::makeM4a(dir.filePath(QStringLiteral("a.m4a")), 0.3);
    QProcess ended;
    ended.start(QStringLiteral("true"), QStringList{});
    ASSERT_TRUE(ended.waitForStarted());
    const QString deadPid = QString::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished());
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    QString host = QString::fromUtf8(name);
    for (QChar& c : host)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    const QString dead = QStringLiteral(".a.%1-%2.Ab12Cd.partial.ac3").arg(host, deadPid);
    const QStringList kept = {
        QStringLiteral(".a.%1-%2.Ab12Cd.partial.ac3").arg(host).arg(::getpid()),
        QStringLiteral(".a.other-host-%1.Ab12Cd.partial.ac3").arg(deadPid),
        QStringLiteral(".a.%1-%2.Ab12C.partial.ac3").arg(host, deadPid),
        QStringLiteral(".b.%1-%2.Ab12Cd.partial.ac3").arg(host, deadPid),
        QStringLiteral(".a.%1-%2.Ab12Cd.partial.ac3.notes").arg(host, deadPid),
    };
    for (const QString& file : kept + QStringList{dead})
        test::writeFile(out + QLatin1Char('/') + file, "partial");

    const test::BatchResult result = test::runConvert(
        {QStringLiteral("--bitrate"), QStringLiteral("192"), QStringLiteral("--output-dir"), out,
         dir.filePath(QStringLiteral("a.m4a"))});
    ASSERT_EQ(result.exitCode, 0) << result.out.toStdString();
    QStringList expected = kept + QStringList{QStringLiteral("a.ac3")};
    expected.sort();
    QStringList found = QDir(out).entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found.join(u' ').toStdString(), expected.join(u' ').toStdString());
}

// What a command shows on a terminal of its own ("script" gives it one).
QString shownOnTerminal(const QString& command, const QProcessEnvironment& environment)
{
    QProcess script;
    script.setProcessEnvironment(environment);
    script.setStandardInputFile(QProcess::nullDevice());
    script.start(QStringLiteral("script"),
                 {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    EXPECT_TRUE(script.waitForFinished(120000));
    EXPECT_EQ(script.exitCode(), 0);
    return QString::fromUtf8(script.readAllStandardOutput());
}

// On a terminal one line is redrawn in place, with the share of each file
// that its converter reports and an estimate of the time left.
TEST(BatchRun, TerminalShowsOneRedrawnProgressLine)
{
    QTemporaryDir dir;
    for (const char* name : {"a.m4a", "b.m4a"})
        test::writeFile(dir.filePath(QStringLiteral("in/") + QLatin1String(name)), "input");
    const QString converter = test::writeScript(
        dir.filePath(QStringLiteral("reporting-ffmpeg")),
        QStringLiteral(
            "for out; do :; done\n"
            "printf '  Duration: 00:00:10.00, start: 0.000000, bitrate: 128 kb/s\\n' >&2\n"
            "printf 'size=  1kB time=00:00:05.00 bitrate= 1.0kbits/s speed=1x  \\r' >&2\n"
            "sleep 0.6\nfor out; do :; done\nprintf data > \"$out\"\n"
            "printf 'size=  1kB time=00:00:10.00 bitrate= 1.0kbits/s speed=1x  \\n' >&2"));
    const QString command =
        QStringLiteral("'%1' convert --engine ffmpeg --jobs 1 --bitrate 192 '%2'")
            .arg(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"), dir.filePath(QStringLiteral("in")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PLUMARK_FFMPEG"), converter);
    const QString shown = shownOnTerminal(command, environment);
    const QStringList expected{
        QStringLiteral(
            "\r\033\\[K0/2 done \\| a\\.m4a 50% \\| \\d+:\\d\\d elapsed, about \\d+:\\d\\d left"),
        QStringLiteral("\r\033\\[K1/2 done \\| b\\.m4a 50% \\| ")};
    for (const QString& line : expected)
        EXPECT_TRUE(shown.contains(QRegularExpression(line))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\r\033[KConverted: 2 of 2")));
    EXPECT_FALSE(shown.contains(QStringLiteral("[1/2]")));
}

// Ten minutes of a tone in ALAC: quick to make, long enough to stop midway.
void makeLongInput(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                  QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=f=440:r=44100:d=600"), QStringLiteral("-c:a"),
                  QStringLiteral("alac"), path});
    ASSERT_TRUE(ffmpeg.waitForFinished(120000));
    ASSERT_EQ(ffmpeg.exitCode(), 0);
}

// count long inputs, 1.m4a and copies of it, in a new folder "in" of dir, and
// an empty folder "out" beside it for the results.
void makeLongInputs(const QTemporaryDir& dir, int count)
{
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    makeLongInput(in + QStringLiteral("/1.m4a"));
    for (int i = 2; i <= count; ++i)
        QFile::copy(in + QStringLiteral("/1.m4a"), in + QStringLiteral("/%1.m4a").arg(i));
}

// The workers report how far the engine is: the line shows a share of the
// file before its end.
TEST(BatchRun, TerminalShowsTheEnginesOwnPosition)
{
    QTemporaryDir dir;
    makeLongInput(dir.filePath(QStringLiteral("long.m4a")));
    const QString command = QStringLiteral("'%1' convert --jobs 1 --bitrate 192 '%2'")
                                .arg(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"),
                                     dir.filePath(QStringLiteral("long.m4a")));

    const QString shown = shownOnTerminal(command, QProcessEnvironment::systemEnvironment());
    const QRegularExpression share(QStringLiteral("0/1 done \\| long\\.m4a ([1-9][0-9]?)% "));
    EXPECT_TRUE(shown.contains(share)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Converted: 1 of 1")));
}

// A stop while the workers convert: every worker ends, no partial result is
// left, and the files not started are named so.
TEST(BatchRun, StopOfTheWorkersLeavesNoPartialResult)
{
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in"));
        const QString out = dir.filePath(QStringLiteral("out"));
        makeLongInputs(dir, 4);

        const test::BatchResult result = test::runConvert(
            {QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--bitrate"),
             QStringLiteral("192"), QStringLiteral("--output-dir"), out, in},
            {}, [&](QProcess& process) {
                // Both workers have begun their partial results.
                for (int i = 0; i < 400 && filesUnder(out).size() < 2; ++i)
                    QThread::msleep(10);
                ASSERT_EQ(filesUnder(out).size(), 2);
                ::kill(pid_t(process.processId()), signalNumber);
            });
        EXPECT_EQ(result.exitCode, 130) << result.out.toStdString() << result.err.toStdString();
        EXPECT_TRUE(filesUnder(out).isEmpty()) << filesUnder(out).keys().join(u' ').toStdString();
        EXPECT_TRUE(result.out.contains(QStringLiteral("Stopped.")));
        EXPECT_TRUE(result.out.contains(QStringLiteral("Not converted: 2")));
        EXPECT_TRUE(result.out.contains(QStringLiteral("Not started: 2")));
        EXPECT_FALSE(result.out.contains(QStringLiteral("crashed")));
    }
}

// The workers of the batch process with this id: its children that are copies
// of it, with its own command line.
QList<pid_t> workersOf(pid_t batch)
{
    QFile batchCommand(QStringLiteral("/proc/%1/cmdline").arg(batch));
    if (!batchCommand.open(QIODevice::ReadOnly))
        return {};
    const QByteArray ownCommand = batchCommand.readAll();
    QList<pid_t> workers;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!stat.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
            continue;
        // The parent's id is the second field after the name in parentheses.
        const QList<QByteArray> fields = stat.readAll().split(')').constLast().split(' ');
        if (fields.size() > 2 && fields[2].toInt() == batch && command.readAll() == ownCommand)
            workers.append(pid_t(entry.toInt()));
    }
    return workers;
}

// A batch killed outright cannot stop its workers: they end on their own and
// take their partial results with them.
TEST(BatchRun, KilledBatchLeavesNoWorkerAndNoPartialResult)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    const QString out = dir.filePath(QStringLiteral("out"));
    makeLongInputs(dir, 2);

    QList<pid_t> workers;
    test::runConvert({QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--bitrate"),
                      QStringLiteral("192"), QStringLiteral("--output-dir"), out, in},
                     {}, [&](QProcess& process) {
                         for (int i = 0; i < 400 && filesUnder(out).size() < 2; ++i)
                             QThread::msleep(10);
                         ASSERT_EQ(filesUnder(out).size(), 2);
                         workers = workersOf(pid_t(process.processId()));
                         ::kill(pid_t(process.processId()), SIGKILL);
                     });
    EXPECT_EQ(workers.size(), 2);
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i) {
        gone = filesUnder(out).isEmpty() &&
               std::all_of(workers.begin(), workers.end(), test::goneOrZombie);
        if (!gone)
            QThread::msleep(20);
    }
    EXPECT_TRUE(gone) << filesUnder(out).keys().join(u' ').toStdString();
}

// A decoder fault ends one worker: its file is named, a fresh worker takes
// the next files and the batch goes on.
TEST(BatchRun, ADecoderCrashNamesTheFileAndTheBatchGoesOn)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    for (const char* name : {"a.m4a", "crash.m4a", "c.m4a", "d.m4a"})
        test::makeM4a(in + QLatin1Char('/') + QLatin1String(name), 0.5);

    const test::BatchResult result =
        test::runProgramConvert(test::FaultyProgram,
                                {QStringLiteral("--jobs"), QStringLiteral("2"),
                                 QStringLiteral("--bitrate"), QStringLiteral("192"), in},
                                {QStringLiteral("PLUMARK_TEST_CRASH_ON=crash.m4a")});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Converted: 3 of 4")))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(QStringLiteral("Not converted: 1\n  ") + in +
                                    QStringLiteral("/crash.m4a: the decoder crashed\n")))
        << result.out.toStdString();
    for (const char* name : {"a.ac3", "c.ac3", "d.ac3"})
        EXPECT_EQ(test::probeMedia(in + QLatin1Char('/') + QLatin1String(name)).codec,
                  QStringLiteral("ac3"));
    EXPECT_FALSE(QFileInfo::exists(in + QStringLiteral("/crash.ac3")));
    EXPECT_EQ(filesUnder(in).size(), 7) << filesUnder(in).keys().join(u' ').toStdString();
}

// A summary that cannot reach its reader (a full disk, a closed output) is
// said on the error output, and the batch does not report success.
TEST(BatchRun, ALostStandardOutputIsNoSuccess)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("a.m4a"));
    test::makeM4a(input, 0.3);
    const struct
    {
        const char* arguments;
        const char* redirection;
        const char* why;
    } cases[] = {
        {"--bitrate 192", ">/dev/full", "No space left on device"},
        {"--bitrate 192", ">&-", "it is closed"},
        {"--help", ">/dev/full", "No space left on device"},
    };
    for (const auto& c : cases) {
        QProcess shell;
        shell.setStandardInputFile(QProcess::nullDevice());
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("exec \"$0\" convert %1 \"$1\" %2")
                         .arg(QLatin1String(c.arguments), QLatin1String(c.redirection)),
                     QStringLiteral(PLUMARK_BINARY_DIR "/plumark"), input});
        ASSERT_TRUE(shell.waitForFinished(120000));
        const QString err = QString::fromUtf8(shell.readAllStandardError());
        EXPECT_EQ(shell.exitCode(), 1) << c.redirection << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("the standard output could not be written (") +
                                 QLatin1String(c.why)))
            << c.redirection << err.toStdString();
    }
    // The conversion itself was done.
    EXPECT_EQ(test::probeMedia(dir.filePath(QStringLiteral("a.ac3"))).codec, QStringLiteral("ac3"));
}

// A line break in a name is shown escaped: it cannot pass for a line of the
// report of its own.
TEST(BatchRun, ALineBreakInANameCannotForgeAReportLine)
{
    QTemporaryDir dir;
    const QString forged = QStringLiteral("x\nConverted: 2 of 2\n.m4a");
    test::writeFile(dir.filePath(forged), "this is no audio at all");
    test::makeM4a(dir.filePath(QStringLiteral("good.m4a")), 0.3);

    const test::BatchResult result =
        test::runConvert({QStringLiteral("--bitrate"), QStringLiteral("192"), dir.filePath(forged),
                          dir.filePath(QStringLiteral("good.m4a"))});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'));
    EXPECT_FALSE(lines.contains(QStringLiteral("Converted: 2 of 2"))) << result.out.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Converted: 1 of 2"))) << result.out.toStdString();
    EXPECT_EQ(result.out.count(QStringLiteral("x\\x0AConverted: 2 of 2\\x0A.m4a")), 2)
        << result.out.toStdString();
}

// Nothing a user typed or a file is named steers the terminal: escape
// sequences, line breaks and right-to-left overrides are shown by their bytes.
TEST(BatchRun, NamesAndArgumentsCannotSteerTheTerminal)
{
    const test::BatchResult usage = test::runConvert(
        {QStringLiteral("--jobs=\x1b[2J\nConverted: 9 of 9"), QStringLiteral("a")});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("\\x1B[2J\\x0AConverted: 9 of 9")))
        << usage.err.toStdString();
    EXPECT_FALSE(usage.err.contains(QChar(0x1b)));
    EXPECT_EQ(usage.err.count(QLatin1Char('\n')), 1) << usage.err.toStdString();

    QTemporaryDir dir;
    const QString reversed = dir.filePath(QStringLiteral("song\u202Egpj.m4a\u2028x"));
    const test::BatchResult summary =
        test::runConvert({QStringLiteral("--bitrate"), QStringLiteral("192"), reversed});
    EXPECT_EQ(summary.exitCode, 1);
    EXPECT_TRUE(summary.out.contains(QStringLiteral("song\\xE2\\x80\\xAEgpj.m4a\\xE2\\x80\\xA8x")))
        << summary.out.toStdString();
    for (const char16_t steering : {u'\u202E', u'\u2028'})
        EXPECT_FALSE((summary.out + summary.err).contains(QChar(steering)));
}

} // namespace
} // namespace plumark
