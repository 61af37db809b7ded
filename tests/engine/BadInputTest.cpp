// Bad inputs a user can hand the program, each through the window's run and
// through "plumark convert": the run ends, the good files are converted, the
// closing report names each file that was not with its reason, no input
// changes and no partial result is left behind.
#include "filelist/FileList.h"
#include "shell/MainForm.h"
#include "support/FakeWindow.h"
#include "support/FolderSnapshot.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"
#include "support/RootRights.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// What one row sets up, and what the run must then show.
struct Scene
{
    bool batch = false; // run by "plumark convert" rather than the window
    QString root, in, out;
    QStringList rows;        // the paths given to the run, in order
    QStringList environment; // NAME=value, for the run only
    // The results that must be whole AC3 files afterwards; every other file
    // in the output folders is a stray.
    QStringList results;
    QStringList outputFolders;
    // The inputs the closing report must name, each with a part of its reason.
    QList<std::pair<QString, QString>> named;
    // Part of the error report the window's run must show; empty for none.
    QString errorReport;
    // Files outside the input folder that must come through unchanged.
    QStringList kept;
    // Entries of the output folders that are the user's own, not results.
    QStringList alsoThere;

    QString at(const QString& name) const { return root + QLatin1Char('/') + name; }
    void addBad(const QString& path, const QString& reason)
    {
        rows.insert(1, path);
        named.append({path, reason});
    }
    void nameEveryRow(const QString& reason)
    {
        results.clear();
        named.clear();
        for (const QString& row : rows)
            named.append({row, reason});
    }
    // The converter: the real one, run through a script that does first what
    // the row needs (it sees the input as $input and the output, always the
    // last argument, as $output: the batch passes options before the input). The batch
    // then runs the ffmpeg program rather than its own engine.
    bool converterProgram = false;
    void wrapConverter(const QString& before)
    {
        converterProgram = true;
        environment.append(QStringLiteral("PLUMARK_FFMPEG=") +
                           writeScript(at(QStringLiteral("bin/ffmpeg-wrapper")),
                                       QStringLiteral("for a in \"$@\"; do [ \"$previous\" = -i ] "
                                                      "&& input=$a; previous=$a; output=$a; "
                                                      "done\n") +
                                           before + QStringLiteral("\nexec ffmpeg \"$@\"")));
    }
    // Only these tools are found on PATH.
    void onlyTools(const QStringList& tools)
    {
        const QString bin = at(QStringLiteral("path"));
        QDir().mkpath(bin);
        for (const QString& tool : tools)
            QFile::link(QStringLiteral("/usr/bin/") + tool, bin + QLatin1Char('/') + tool);
        environment.append(QStringLiteral("PATH=") + bin);
    }
};

struct Row
{
    const char* name;
    std::function<void(Scene&)> make;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

const QString InvalidData = QStringLiteral("Invalid data found when processing input");
const QString NoSuchFolder = QStringLiteral("No such file or directory");

const Row rows[] = {
    {"ZeroByteFile",
     [](Scene& s) {
         writeFile(s.in + QStringLiteral("/empty.m4a"), {});
         s.addBad(s.in + QStringLiteral("/empty.m4a"), InvalidData);
     }},
    {"TextFile",
     [](Scene& s) {
         writeFile(s.in + QStringLiteral("/notes.m4a"), "shopping: eggs, milk\n");
         s.addBad(s.in + QStringLiteral("/notes.m4a"), InvalidData);
     }},
    {"TruncatedM4a",
     [](Scene& s) {
         QFile whole(s.in + QStringLiteral("/a.m4a"));
         ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
         writeFile(s.in + QStringLiteral("/cut.m4a"), whole.read(whole.size() / 2));
         s.addBad(s.in + QStringLiteral("/cut.m4a"), InvalidData);
     }},
    {"M4aWithoutAudio",
     [](Scene& s) {
         QProcess::execute(QStringLiteral("ffmpeg"),
                           {QStringLiteral("-nostdin"), QStringLiteral("-v"),
                            QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                            QStringLiteral("-i"), QStringLiteral("testsrc=d=1:s=64x48"),
                            QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-f"),
                            QStringLiteral("mp4"), s.in + QStringLiteral("/video.m4a")});
         s.addBad(s.in + QStringLiteral("/video.m4a"),
                  s.batch ? QStringLiteral("The input has no audio stream.")
                          : QStringLiteral("does not contain any stream"));
     }},
    {"Folder",
     [](Scene& s) {
         // The batch takes a folder as one to scan, and this one holds nothing.
         QDir().mkpath(s.in + QStringLiteral("/album.m4a"));
         if (s.batch)
             s.rows.insert(1, s.in + QStringLiteral("/album.m4a"));
         else
             s.addBad(s.in + QStringLiteral("/album.m4a"), QStringLiteral("This is a folder"));
     }},
    {"Fifo",
     [](Scene& s) {
         ::mkfifo(QFile::encodeName(s.in + QStringLiteral("/pipe.m4a")).constData(), 0644);
         s.addBad(s.in + QStringLiteral("/pipe.m4a"), QStringLiteral("named pipe (FIFO)"));
     }},
    {"NoReadPermission",
     [](Scene& s) {
         ASSERT_TRUE(obeyPermissionBits());
         const QString locked = s.in + QStringLiteral("/locked.m4a");
         QFile::copy(s.in + QStringLiteral("/a.m4a"), locked);
         ::chmod(QFile::encodeName(locked).constData(), 0);
         s.addBad(locked, QStringLiteral("Permission denied"));
     }},
    {"NameNotValidUtf8",
     [](Scene& s) {
         // Such a name cannot be held as text: it reads back with U+FFFD in
         // place of the bad bytes, and that path does not exist.
         const QByteArray raw = QFile::encodeName(s.in) + "/bad\xff\xfe name.m4a";
         QFile::copy(s.in + QStringLiteral("/a.m4a"), s.at(QStringLiteral("copy")));
         ::rename(QFile::encodeName(s.at(QStringLiteral("copy"))).constData(), raw.constData());
         s.addBad(QFile::decodeName(raw), QStringLiteral("does not exist"));
     }},
    {"DanglingLink",
     [](Scene& s) {
         QFile::link(s.at(QStringLiteral("gone.m4a")), s.in + QStringLiteral("/gone.m4a"));
         s.addBad(s.in + QStringLiteral("/gone.m4a"), QStringLiteral("does not exist"));
     }},
    {"LinkLoop",
     [](Scene& s) {
         QFile::link(s.in + QStringLiteral("/loop.m4a"), s.in + QStringLiteral("/loop.m4a"));
         s.addBad(s.in + QStringLiteral("/loop.m4a"),
                  QStringLiteral("Too many levels of symbolic links"));
     }},
    {"DeviceBehindLink",
     [](Scene& s) {
         // Endless zeros: the converter would never finish reading them.
         QFile::link(QStringLiteral("/dev/zero"), s.in + QStringLiteral("/zero.m4a"));
         s.addBad(s.in + QStringLiteral("/zero.m4a"), QStringLiteral("a device"));
     }},
    {"SystemFileBehindLink",
     [](Scene& s) {
         // A file of the kernel's own: a regular file to every test but the
         // file system's, and never read.
         QFile::link(QStringLiteral("/proc/self/status"), s.in + QStringLiteral("/status.m4a"));
         s.addBad(s.in + QStringLiteral("/status.m4a"), QStringLiteral("proc file system"));
     }},
    {"SystemFileBehindLinkForTheConverterProgram",
     [](Scene& s) {
         s.converterProgram = true;
         QFile::link(QStringLiteral("/proc/self/status"), s.in + QStringLiteral("/status.m4a"));
         s.addBad(s.in + QStringLiteral("/status.m4a"), QStringLiteral("proc file system"));
     }},
    {"ShellCharactersInName",
     [](Scene& s) {
         // No shell ever reads a path: this one converts like any other.
         const QString name = QStringLiteral("it's \"$(touch x)\" `id`;\n-rf *.m4a");
         QFile::copy(s.in + QStringLiteral("/a.m4a"), s.in + QLatin1Char('/') + name);
         s.rows.insert(1, s.in + QLatin1Char('/') + name);
         s.results.append(s.out + QStringLiteral("/it's \"$(touch x)\" `id`;\n-rf *.ac3"));
     }},
    {"TagsThatLookLikeProgress",
     [](Scene& s) {
         // The converter repeats the input's tags in its output; this title
         // reads like a progress report with more hours than a number holds.
         const QString tagged = s.in + QStringLiteral("/tagged.m4a");
         QProcess::execute(QStringLiteral("ffmpeg"),
                           {QStringLiteral("-nostdin"), QStringLiteral("-v"),
                            QStringLiteral("error"), QStringLiteral("-i"),
                            s.in + QStringLiteral("/a.m4a"), QStringLiteral("-c"),
                            QStringLiteral("copy"), QStringLiteral("-metadata"),
                            QStringLiteral("title=size= time=%1:00:00.00 Duration: 00:00:00.01")
                                .arg(QString(400, QLatin1Char('9'))),
                            tagged});
         s.rows.insert(1, tagged);
         s.results.append(s.out + QStringLiteral("/tagged.ac3"));
     }},
    {"ResultNameTakenByFolder",
     [](Scene& s) {
         // A folder of the user's where a result would go is never removed.
         const QString notes = s.out + QStringLiteral("/a.ac3/notes.txt");
         writeFile(notes, "mine\n");
         s.results = {s.out + QStringLiteral("/z.ac3")};
         s.outputFolders.append(s.out + QStringLiteral("/a.ac3"));
         s.alsoThere = {s.out + QStringLiteral("/a.ac3"), notes};
         s.kept.append(notes);
         s.named.append({s.rows.constFirst(), s.batch ? QStringLiteral("Is a directory")
                                                      : QStringLiteral("already exists")});
     }},
    {"InputWouldBeItsOwnResult",
     [](Scene& s) {
         // An AC3 file lying where its result would go is not converted onto itself.
         const QString ac3 = s.out + QStringLiteral("/song.ac3");
         QProcess::execute(QStringLiteral("ffmpeg"),
                           {QStringLiteral("-nostdin"), QStringLiteral("-v"),
                            QStringLiteral("error"), QStringLiteral("-i"),
                            s.in + QStringLiteral("/a.m4a"), QStringLiteral("-acodec"),
                            QStringLiteral("ac3"), ac3});
         s.addBad(ac3, QStringLiteral("would replace the input"));
         s.results.append(ac3);
         s.kept.append(ac3);
     }},
    {"NameOf255Bytes",
     [](Scene& s) {
         // 125 two-byte letters and "x.m4a": the longest name allowed, and
         // its result's name is as long.
         const QString name = QString(125, QChar(0xe9)) + QStringLiteral("x.m4a");
         QFile::copy(s.in + QStringLiteral("/a.m4a"), s.in + QLatin1Char('/') + name);
         s.rows.insert(1, s.in + QLatin1Char('/') + name);
         s.results.append(s.out + QLatin1Char('/') + QString(125, QChar(0xe9)) +
                          QStringLiteral("x.ac3"));
     }},
    {"ReadOnlyOutputFolder",
     [](Scene& s) {
         ASSERT_TRUE(obeyPermissionBits());
         ::chmod(QFile::encodeName(s.out).constData(), 0555);
         s.nameEveryRow(QStringLiteral("Permission denied"));
     }},
    {"OutputFolderVanishesMidRun",
     [](Scene& s) {
         // Moved away by the user once the first file is done.
         const QString moved = s.at(QStringLiteral("moved"));
         s.wrapConverter(
             QStringLiteral("case \"$input\" in */z.m4a) mv '%1' '%2';; esac").arg(s.out, moved));
         s.results = {moved + QStringLiteral("/a.ac3")};
         s.outputFolders = {s.out, moved};
         s.named.append({s.rows.constLast(), NoSuchFolder});
     }},
    {"FullDisk",
     [](Scene& s) {
         // A disk of two pages: no result fits. Where mounts are refused, a
         // converter fails as one meeting a full disk does.
         if (!mountPrivateTmpfs(QFile::encodeName(s.out).constData(), "size=8k"))
             s.wrapConverter(QStringLiteral(
                 "head -c 4096 /dev/zero > \"$output\"\n"
                 "echo \"Error writing trailer of $output: No space left on device\" >&2; exit 1"));
         s.nameEveryRow(QStringLiteral("No space left on device"));
     }},
    {"MissingConverter",
     [](Scene& s) {
         // The batch's own engine needs no ffmpeg program: ask for it.
         s.converterProgram = true;
         s.onlyTools({QStringLiteral("exiftool")});
         s.errorReport = QStringLiteral("ffmpeg");
         s.nameEveryRow(s.batch ? QStringLiteral("ffmpeg")
                                : QStringLiteral("could not be started"));
     }},
    {"MissingProbe",
     [](Scene& s) {
         // The window's run reports it and converts at the constant rate;
         // the batch reads each M4A's own rate from its boxes.
         s.onlyTools({QStringLiteral("ffmpeg")});
         s.errorReport = QStringLiteral("exiftool");
     }},
    {"TempFolderMissing",
     [](Scene& s) {
         s.environment.append(QStringLiteral("TEMP=") + s.at(QStringLiteral("no/such/temp")));
         s.errorReport = QStringLiteral("no/such/temp");
         s.nameEveryRow(s.batch ? QStringLiteral("no/such/temp")
                                : QStringLiteral("could not be started"));
     }},
};

class BadInputTest : public testing::TestWithParam<Row>
{
protected:
    void SetUp() override
    {
        scene.root = dir.path();
        scene.in = scene.at(QStringLiteral("in"));
        scene.out = scene.at(QStringLiteral("out"));
        QDir().mkpath(scene.out);
        for (const QString& name : {QStringLiteral("a"), QStringLiteral("z")}) {
            makeM4a(scene.in + QLatin1Char('/') + name + QStringLiteral(".m4a"));
            scene.rows.append(scene.in + QLatin1Char('/') + name + QStringLiteral(".m4a"));
            scene.results.append(scene.out + QLatin1Char('/') + name + QStringLiteral(".ac3"));
        }
        scene.outputFolders = {scene.out};
        scene.batch = std::string(testing::UnitTest::GetInstance()->current_test_info()->name())
                          .starts_with("ThroughTheBatchMode");
        GetParam().make(scene);
        inputsBefore = snapshot(scene.in);
        for (const QString& file : scene.kept)
            keptBefore.append(fileHash(file));
    }
    void TearDown() override
    {
        // Permission bits may now hold for root too, and some names cannot be
        // held as text: leave nothing behind.
        unmountPrivateTmpfs(QFile::encodeName(scene.out).constData());
        QProcess::execute(QStringLiteral("chmod"),
                          {QStringLiteral("-R"), QStringLiteral("u+rwx"), scene.root});
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), scene.in});
    }

    // Sets the row's environment for the length of one run.
    void setRunEnvironment(ScopedEnvironment& environment) const
    {
        environment.unset("PLUMARK_FFMPEG");
        environment.unset("PLUMARK_EXIFTOOL");
        for (const QString& entry : scene.environment)
            environment.set(entry.section(QLatin1Char('='), 0, 0).toUtf8().constData(),
                            entry.section(QLatin1Char('='), 1).toUtf8());
    }

    // What every run must leave: whole results and nothing else in the
    // output folders, and the inputs as they were.
    void expectResultsAndUnchangedInputs() const
    {
        for (const QString& result : scene.results) {
            const MediaInfo info = probeMedia(result);
            EXPECT_EQ(info.codec, QStringLiteral("ac3")) << qPrintable(result);
            EXPECT_NEAR(info.duration, 1.0, 0.1) << qPrintable(result);
        }
        QStringList found;
        for (const QString& folder : scene.outputFolders)
            for (const QByteArray& name : snapshot(folder).keys())
                found.append(folder + QLatin1Char('/') + QFile::decodeName(name));
        found.sort();
        QStringList expected = scene.results + scene.alsoThere;
        expected.sort();
        EXPECT_EQ(found, expected) << "stray or missing results";
        EXPECT_EQ(snapshot(scene.in), inputsBefore) << "an input changed";
        const QString temp = qEnvironmentVariable("TEMP");
        EXPECT_TRUE(QDir(temp).entryList({QStringLiteral("plumark-*")}, QDir::AllEntries).isEmpty())
            << "a tools folder is left in " << qPrintable(temp);
        for (qsizetype i = 0; i < scene.kept.size(); ++i)
            EXPECT_EQ(fileHash(scene.kept[i]), keptBefore[i]) << qPrintable(scene.kept[i]);
    }

    QTemporaryDir dir;
    Scene scene;
    FolderSnapshot inputsBefore;
    QList<QByteArray> keptBefore;
};

TEST_P(BadInputTest, ThroughTheWindowRun)
{
    FileList list;
    FakeWindow window;
    MainForm form(window, list);
    for (const QString& row : scene.rows)
        AddPathToList(list, row);
    window.setOption(1, true); // each input's own rate, so the probe runs too
    window.rate = QStringLiteral("128 kbps");
    window.setOption(3, true);
    window.folder = scene.out;
    {
        ScopedEnvironment environment;
        setRunEnvironment(environment);
        form.PushButton2_Click();
    }

    EXPECT_FALSE(form.isConverting);
    ASSERT_FALSE(window.messages.isEmpty());
    const QString done = window.messages.constLast().text;
    if (scene.named.isEmpty()) {
        EXPECT_EQ(done, QStringLiteral("Done."));
    } else {
        EXPECT_TRUE(done.startsWith(QStringLiteral("Done.\r\r%1 file").arg(scene.named.size())))
            << qPrintable(done);
    }
    for (const auto& [input, reason] : scene.named) {
        EXPECT_TRUE(done.contains(QLatin1Char('\r') + input + QStringLiteral("\r    ")))
            << qPrintable(input) << " is not named in " << qPrintable(done);
        EXPECT_TRUE(done.contains(reason))
            << qPrintable(reason) << " is not given in " << qPrintable(done);
    }
    EXPECT_EQ(form.notConverted().size(), scene.named.size());
    QStringList reports;
    for (const ShownMessage& shown : window.messages)
        if (shown.title == QLatin1String("Application Error"))
            reports.append(shown.text);
    if (scene.errorReport.isEmpty())
        EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(QLatin1Char('\n')));
    else
        EXPECT_TRUE(reports.join(QLatin1Char('\n')).contains(scene.errorReport))
            << qPrintable(reports.join(QLatin1Char('\n')));
    expectResultsAndUnchangedInputs();
}

TEST_P(BadInputTest, ThroughTheBatchMode)
{
    QProcess process;
    {
        ScopedEnvironment environment;
        setRunEnvironment(environment);
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    }
    process.setProgram(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"));
    const QStringList engine =
        scene.converterProgram ? QStringList{QStringLiteral("--engine"), QStringLiteral("ffmpeg")}
                               : QStringList{};
    process.setArguments(QStringList{QStringLiteral("convert")} + engine +
                         QStringList{QStringLiteral("--jobs"), QStringLiteral("1"),
                                     QStringLiteral("--output-dir"), scene.out,
                                     QStringLiteral("--")} +
                         scene.rows);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    ASSERT_TRUE(process.waitForFinished(120000)) << "the batch did not end";
    const QString report = QString::fromUtf8(process.readAllStandardOutput()) +
                           QString::fromUtf8(process.readAllStandardError());

    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << qPrintable(report);
    EXPECT_EQ(process.exitCode(), scene.named.isEmpty() ? 0 : 1) << qPrintable(report);
    for (const auto& [input, reason] : scene.named) {
        EXPECT_TRUE(report.contains(input + QStringLiteral(": ")))
            << qPrintable(input) << " is not named in " << qPrintable(report);
        EXPECT_TRUE(report.contains(reason))
            << qPrintable(reason) << " is not given in " << qPrintable(report);
    }
    expectResultsAndUnchangedInputs();
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputTest, testing::ValuesIn(rows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
