#include "filelist/FileList.h"
#include "shell/MainForm.h"
#include "support/ChildState.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// One call of a stand-in converter: its input, rate token and output.
struct ConverterCall
{
    QString input, rate, output;
};

class ConversionRunTest : public testing::Test
{
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString folder(const QString& name) const
    {
        QDir().mkpath(path(name));
        return path(name);
    }
    void add(const QString& file) { AddPathToList(list, file); }

    void useConstantRate(const QString& rate)
    {
        window.setOption(2, true);
        window.rate = rate;
    }
    void useInputRate(const QString& fallbackRate)
    {
        window.setOption(1, true);
        window.rate = fallbackRate;
    }
    void saveTo(const QString& outputFolder)
    {
        window.setOption(3, true);
        window.folder = outputFolder;
    }
    void saveBesideSource() { window.setOption(4, true); }

    // A stand-in converter that records each call and then runs body, which
    // sees $in, $rate and $out. By default it writes a small output.
    void
    fakeConverter(const QString& body = QStringLiteral("printf 'ac3 of %s' \"$in\" > \"$out\""))
    {
        const QString script =
            writeScript(path(QStringLiteral("fake-ffmpeg")),
                        QStringLiteral("in=$2; rate=$4; out=$7\n"
                                       "printf '%s|%s|%s\\n' \"$in\" \"$rate\" \"$out\" >> '%1'\n")
                                .arg(callLog()) +
                            body);
        environment.set("PLUMARK_FFMPEG", script.toUtf8());
    }
    QString callLog() const { return path(QStringLiteral("calls.log")); }
    QList<ConverterCall> converterCalls() const
    {
        QFile log(callLog());
        QList<ConverterCall> calls;
        if (!log.open(QIODevice::ReadOnly))
            return calls;
        const QString text = QString::fromUtf8(log.readAll());
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(QLatin1Char('|'));
            calls.append({parts.value(0), parts.value(1), parts.value(2)});
        }
        return calls;
    }
    // Runs action once, at the first yield after the first converter started.
    void duringFirstConversion(std::function<void()> action)
    {
        window.onYield = [this, action, done = false]() mutable {
            if (!done && converterCalls().size() == 1) {
                done = true;
                action();
            }
        };
    }

    void expectIdle() const
    {
        EXPECT_FALSE(form.isConverting);
        EXPECT_EQ(window.pointer, PointerDefault);
        EXPECT_EQ(window.bar.rawValue(), 0);
        EXPECT_EQ(window.bar.text(), QStringLiteral("Progress Bar"));
        const QString temp = qEnvironmentVariable("TEMP");
        EXPECT_TRUE(QDir(temp).entryList({QStringLiteral("plumark-*")}, QDir::AllEntries).isEmpty())
            << "the tools folder is left in " << temp.toStdString();
    }
    QStringList errorReports() const
    {
        QStringList reports;
        for (const ShownMessage& m : window.messages)
            if (m.title == QLatin1String("Application Error"))
                reports.append(m.text);
        return reports;
    }

    QTemporaryDir dir;
    FileList list;
    FakeWindow window;
    MainForm form{window, list};
    ScopedEnvironment environment;
};

TEST_F(ConversionRunTest, ConvertsEveryRowAtTheConstantRateAndLeavesInputsAlone)
{
    const QStringList inputs = {
        path(QStringLiteral("in/first.m4a")),
        path(QStringLiteral("in/my song \"live\" it's Ærø 日本語.m4a")),
        path(QStringLiteral("in/third.m4a")),
    };
    QList<QByteArray> hashes;
    for (const QString& input : inputs) {
        makeM4a(input);
        hashes.append(fileHash(input));
        add(input);
    }
    useConstantRate(QStringLiteral("192 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    for (int i = 0; i < inputs.size(); ++i) {
        const QString output = path(QStringLiteral("out/")) +
                               QFileInfo(inputs[i]).completeBaseName() + QStringLiteral(".ac3");
        const MediaInfo result = probeMedia(output);
        EXPECT_EQ(result.codec, QStringLiteral("ac3")) << output.toStdString();
        EXPECT_EQ(result.bitRate, 192000);
        EXPECT_GT(result.size, 0);
        EXPECT_NEAR(result.duration, probeMedia(inputs[i]).duration, 0.1);
        EXPECT_EQ(fileHash(inputs[i]), hashes[i]);
    }
    expectIdle();
}

TEST_F(ConversionRunTest, FollowsEachInputsRateSavesBesideItAndLeavesNoChild)
{
    const QString slow = path(QStringLiteral("a/slow.m4a"));
    const QString fast = path(QStringLiteral("b/fast.m4a"));
    makeM4a(slow, 3.0, 96);
    makeM4a(fast, 3.0, 160);
    add(slow);
    add(fast);
    useInputRate(QStringLiteral("128 kbps"));
    saveBesideSource();
    ASSERT_TRUE(childrenOfThisProcess().isEmpty());

    form.PushButton2_Click();

    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(probeMedia(path(QStringLiteral("a/slow.ac3"))).bitRate, 96000);
    EXPECT_EQ(probeMedia(path(QStringLiteral("b/fast.ac3"))).bitRate, 160000);
    // Every probe and converter has been reaped: no zombie is left.
    EXPECT_EQ(childrenOfThisProcess(), QList<pid_t>());
    expectIdle();
}

TEST_F(ConversionRunTest, ANameHoldingARateTagConvertsAtTheInputsOwnRate)
{
    const QString input = path(QStringLiteral("Avg Bitrate/Audio Bitrate test.m4a"));
    makeM4a(input, 1.0, 160);
    add(input);
    useInputRate(QStringLiteral("64 kbps"));
    saveBesideSource();

    form.PushButton2_Click();

    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(probeMedia(path(QStringLiteral("Avg Bitrate/Audio Bitrate test.ac3"))).bitRate,
              160000);
    expectIdle();
}

TEST_F(ConversionRunTest, NamesTheRowsItCouldNotConvertAndTheNextRunWorks)
{
    const QString valid = path(QStringLiteral("in/valid.m4a"));
    makeM4a(valid);
    const QString empty = path(QStringLiteral("in/empty.m4a"));
    writeFile(empty, {});
    const QString text = path(QStringLiteral("in/notes.txt"));
    writeFile(text, "Some notes, not audio.\n");
    const QString noise = path(QStringLiteral("in/noise.m4a"));
    QByteArray bytes(20000, '\0');
    QRandomGenerator random(42);
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    writeFile(noise, bytes);
    const QString missing = path(QStringLiteral("in/missing.m4a"));
    for (const QString& row : {empty, valid, text, noise, missing})
        add(row);
    useConstantRate(QStringLiteral("128 kbps"));
    const QString out = folder(QStringLiteral("out"));
    saveTo(out);

    form.PushButton2_Click();

    ASSERT_EQ(window.messages.size(), 1);
    const QString message = window.messages[0].text;
    EXPECT_TRUE(message.startsWith(QStringLiteral("Done.\r\r4 files could not be converted:\r")))
        << message.toStdString();
    for (const QString& bad : {empty, text, noise, missing})
        EXPECT_TRUE(message.contains(QStringLiteral("\r") + bad + QStringLiteral("\r    ")))
            << bad.toStdString();
    ASSERT_EQ(form.notConverted().size(), 4);
    for (const NotConverted& row : form.notConverted())
        EXPECT_FALSE(row.reason.isEmpty()) << row.path.toStdString();
    EXPECT_EQ(form.notConverted().last().reason, QStringLiteral("The file does not exist."));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("valid.ac3")});
    EXPECT_EQ(probeMedia(out + QStringLiteral("/valid.ac3")).bitRate, 128000);
    expectIdle();

    list.clear();
    add(valid);
    window.messages.clear();
    form.PushButton2_Click();
    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    EXPECT_TRUE(form.notConverted().isEmpty());
    // The window is told each run's counts.
    EXPECT_EQ(window.runsEnded, (QList<QPair<int, int>>{{1, 4}, {1, 0}}));
}

TEST_F(ConversionRunTest, AnEncoderThatRefusesLeavesNoEmptyResult)
{
    // The AC3 encoder cannot fit six channels into 32 kb/s and leaves a 0-byte file.
    const QString input = path(QStringLiteral("six.m4a"));
    makeM4a(input, 1.0, 192, 6);
    add(input);
    useConstantRate(QStringLiteral("32 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out/six.ac3"))));
    ASSERT_EQ(form.notConverted().size(), 1);
    EXPECT_TRUE(form.notConverted()[0].reason.contains(QLatin1String("Bit allocation failed")))
        << form.notConverted()[0].reason.toStdString();
    EXPECT_EQ(window.messageTexts(),
              QStringList{QStringLiteral("Done.\r\r1 file could not be converted:\r\r") + input +
                          QStringLiteral("\r    ") + form.notConverted()[0].reason});
}

struct EarlyExitCase
{
    const char* name;
    int rows;
    const char* folder; // relative to the test folder; empty for none
    bool besideSource;
    const char* message;
    // Names the case in test listings.
    friend void PrintTo(const EarlyExitCase& c, std::ostream* os) { *os << c.name; }
};

class EarlyExitTest : public ConversionRunTest, public testing::WithParamInterface<EarlyExitCase>
{
};

TEST_P(EarlyExitTest, ShowsItsMessageAndEndsIdle)
{
    const EarlyExitCase& c = GetParam();
    fakeConverter();
    for (int i = 0; i < c.rows; ++i) {
        const QString input = path(QStringLiteral("in/%1.m4a").arg(i));
        writeFile(input, "m4a");
        add(input);
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(*c.folder ? path(QLatin1String(c.folder)) : QString());
    if (c.besideSource)
        saveBesideSource();

    form.PushButton2_Click();

    EXPECT_EQ(window.messageTexts(), QStringList{QLatin1String(c.message)});
    EXPECT_FALSE(form.isConverting);
    EXPECT_EQ(converterCalls().size(),
              QLatin1String(c.message) == QLatin1String("Done.") ? c.rows : 0);
    EXPECT_TRUE(QDir(qEnvironmentVariable("TEMP"))
                    .entryList({QStringLiteral("plumark-*")}, QDir::AllEntries)
                    .isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EarlyExitTest,
    testing::Values(EarlyExitCase{"EmptyList", 0, "in", false, "No files added."},
                    EarlyExitCase{"MissingFolder", 1, "nowhere", false,
                                  "Folder does not exist. Please select another folder."},
                    EarlyExitCase{"NoFolderText", 1, "", false,
                                  "Folder does not exist. Please select another folder."},
                    EarlyExitCase{"MissingFolderBesideSource", 2, "nowhere", true, "Done."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionRunTest, EachEarlyMessageIsAStepOfItsOwn)
{
    struct Case
    {
        int rows;
        const char* message;
        int line;
    };
    const Case cases[] = {{0, "No files added.", 2},
                          {1, "Folder does not exist. Please select another folder.", 4}};
    saveTo(path(QStringLiteral("nowhere")));
    for (const Case& c : cases) {
        list.clear();
        for (int i = 0; i < c.rows; ++i)
            add(path(QStringLiteral("song.m4a")));
        window.messages.clear();
        // The message box itself fails, as a control call may.
        window.onMessage = [&](const QString& text) {
            if (text == QLatin1String(c.message))
                throw Failure(QStringLiteral("Out of memory"));
        };

        form.PushButton2_Click();

        const QStringList reports = errorReports();
        ASSERT_EQ(reports.size(), 1) << c.message;
        EXPECT_TRUE(reports[0].contains(
            QStringLiteral("\r\nin Plumark2021/08/31.Form1.PushButton2_Click at line %1\r\r")
                .arg(c.line)))
            << reports[0].toStdString();
        EXPECT_FALSE(form.isConverting);
    }
}

TEST_F(ConversionRunTest, ASecondStartDuringARunDoesNothing)
{
    fakeConverter();
    for (const char* name : {"a.m4a", "b.m4a", "c.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));
    duringFirstConversion([this] { form.PushButton2_Click(); });

    form.PushButton2_Click();

    EXPECT_EQ(converterCalls().size(), 3);
    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    expectIdle();
}

TEST_F(ConversionRunTest, TheBarShowsTheShareOfFilesStarted)
{
    fakeConverter();
    for (const char* name : {"a.m4a", "b.m4a", "c.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));
    QList<int> readBack;
    window.onYield = [&] {
        if (window.bar.text().startsWith(QLatin1String("Processing: ")) &&
            (readBack.isEmpty() || readBack.last() != window.bar.value()))
            readBack.append(window.bar.value());
    };

    form.PushButton2_Click();

    ASSERT_EQ(window.bar.values.size(), 4);
    EXPECT_NEAR(window.bar.values[0], 100.0 / 3, 1e-9);
    EXPECT_NEAR(window.bar.values[1], 200.0 / 3, 1e-9);
    EXPECT_EQ(window.bar.values[2], 100.0);
    EXPECT_EQ(window.bar.values[3], 0.0);
    EXPECT_EQ(readBack, (QList<int>{33, 67, 100}));
    EXPECT_EQ(window.bar.texts.mid(0, 1), QStringList{QStringLiteral("Processing: a.m4a")});
    expectIdle();
}

TEST_F(ConversionRunTest, RowsAddedDuringARunCountButAreNotConverted)
{
    fakeConverter();
    for (const char* name : {"a.m4a", "b.m4a", "c.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));
    duringFirstConversion([this] { add(path(QStringLiteral("late.m4a"))); });

    form.PushButton2_Click();

    ASSERT_EQ(converterCalls().size(), 3);
    EXPECT_EQ(converterCalls().last().input, path(QStringLiteral("c.m4a")));
    ASSERT_EQ(window.bar.values.size(), 4);
    EXPECT_NEAR(window.bar.values[0], 100.0 / 3, 1e-9);
    EXPECT_EQ(window.bar.values[1], 50.0);
    EXPECT_EQ(window.bar.values[2], 75.0);
    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
}

TEST_F(ConversionRunTest, RowsClearedDuringARunAreReportedAndTheRunEnds)
{
    fakeConverter();
    for (const char* name : {"a.m4a", "b.m4a", "c.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));
    // A scan that ends during the run resets the pointer, so Clear is allowed.
    duringFirstConversion([this] {
        window.pointer = PointerDefault;
        form.PushButton4_Click();
    });

    form.PushButton2_Click();

    EXPECT_EQ(converterCalls().size(), 1);
    const QStringList reports = errorReports();
    ASSERT_EQ(reports.size(), 2);
    for (const QString& report : reports)
        EXPECT_TRUE(report.contains(
            QStringLiteral("\r\nin Plumark2021/08/31.Form1.PushButton2_Click at line 16\r\r")))
            << report.toStdString();
    EXPECT_EQ(window.messageTexts().last(), QStringLiteral("Done."));
    expectIdle();
}

TEST_F(ConversionRunTest, OptionsChangedDuringARunApplyFromTheNextRow)
{
    fakeConverter();
    for (const char* name : {"in/a.m4a", "in/b.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("192 kbps"));
    saveTo(folder(QStringLiteral("out")));
    duringFirstConversion([this] {
        window.rate = QStringLiteral("96 kbps");
        saveBesideSource();
    });

    form.PushButton2_Click();

    const QList<ConverterCall> calls = converterCalls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0].rate, QStringLiteral("192k"));
    EXPECT_EQ(calls[0].output, path(QStringLiteral("out/a.ac3")));
    EXPECT_EQ(calls[1].rate, QStringLiteral("96k"));
    EXPECT_EQ(calls[1].output, path(QStringLiteral("in/b.ac3")));
}

// The folder text is changed while the second of three files converts. Rows
// go to the folder the text named when the user last finished editing it
// (Return, leaving the box, a folder picked with "..."), never to what a text
// being typed names on its way ("/", "/tmp", ...); when that folder is gone
// they are not converted, and nothing beside their sources is deleted or
// written.
TEST_F(ConversionRunTest, RowsGoToTheFolderTheUserFinishedChoosing)
{
    struct Case
    {
        const char* name;
        std::function<void()> change;
        const char* laterFolder; // where b and c go; none: both are refused
    };
    const auto typed = [this](const QString& text) {
        window.folder = text;
        form.Text1_Change();
    };
    // Select all, then type the text one key at a time.
    const auto typedKeyByKey = [&](const QString& text) {
        for (qsizetype n = 0; n <= text.size(); ++n)
            typed(text.left(n));
    };
    const auto finished = [this] { form.Text1_EditingFinished(); };
    const Case cases[] = {
        {"TypedKeyByKey", [&] { typedKeyByKey(folder(QStringLiteral("other"))); }, "out"},
        {"TypedKeyByKeyAndFinished",
         [&] {
             typedKeyByKey(folder(QStringLiteral("other")));
             finished();
         },
         "other"},
        {"Emptied", [&] { typed(QString()); }, "out"},
        {"EmptiedAndFinished",
         [&] {
             typed(QString());
             finished();
         },
         nullptr},
        {"FinishedOnAFolderThatIsNotThere",
         [&] {
             typed(path(QStringLiteral("nowhere")));
             finished();
         },
         nullptr},
        {"PickedWithTheButton",
         [&] {
             window.folders = QStringList{folder(QStringLiteral("other"))};
             form.PushButton7_Click();
         },
         "other"},
        {"Removed", [this] { QDir(path(QStringLiteral("out"))).removeRecursively(); }, nullptr},
        {"HalfTypedAndRemoved",
         [&] {
             typed(path(QStringLiteral("ou")));
             QDir(path(QStringLiteral("out"))).removeRecursively();
         },
         nullptr},
    };
    const QStringList inputs = {path(QStringLiteral("in/a.m4a")), path(QStringLiteral("in/b.m4a")),
                                path(QStringLiteral("in/c.m4a"))};
    for (const QString& input : inputs)
        makeM4a(input, 0.5);
    const QString oldB = path(QStringLiteral("in/b.ac3"));
    writeFile(oldB, "an earlier result");
    useConstantRate(QStringLiteral("128 kbps"));
    // Every folder that a text typed on the way to "other" names.
    QStringList passedFolders;
    const QString other = path(QStringLiteral("other"));
    for (qsizetype n = 1; n <= other.size(); ++n)
        if (QFileInfo(other.left(n)).isDir() && other.left(n) != other)
            passedFolders.append(other.left(n));
    ASSERT_TRUE(passedFolders.contains(QStringLiteral("/")));
    for (const Case& c : cases) {
        list.clear();
        for (const QString& input : inputs)
            add(input);
        saveTo(folder(QStringLiteral("out")));
        window.messages.clear();
        window.onYield = [&, done = false]() mutable {
            if (!done && window.bar.text() == QLatin1String("Processing: b.m4a")) {
                done = true;
                c.change();
            }
        };

        form.PushButton2_Click();

        EXPECT_EQ(QDir(path(QStringLiteral("in"))).entryList(QDir::Files),
                  (QStringList{QStringLiteral("a.m4a"), QStringLiteral("b.ac3"),
                               QStringLiteral("b.m4a"), QStringLiteral("c.m4a")}))
            << c.name;
        QFile old(oldB);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("an earlier result")) << c.name;
        for (const QString& passed : std::as_const(passedFolders))
            for (const char* result : {"b.ac3", "c.ac3"})
                EXPECT_FALSE(QFileInfo::exists(QDir(passed).filePath(QLatin1String(result))))
                    << c.name << " " << passed.toStdString();
        if (c.laterFolder) {
            EXPECT_TRUE(form.notConverted().isEmpty()) << c.name;
            const QDir later(path(QLatin1String(c.laterFolder)));
            for (const char* result : {"b.ac3", "c.ac3"})
                EXPECT_GT(probeMedia(later.filePath(QLatin1String(result))).duration, 0.4)
                    << c.name << " " << result;
            EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")}) << c.name;
        } else {
            ASSERT_EQ(form.notConverted().size(), 2) << c.name;
            for (int i = 0; i < 2; ++i) {
                EXPECT_EQ(form.notConverted()[i].path, inputs[i + 1]);
                EXPECT_EQ(form.notConverted()[i].reason,
                          QStringLiteral("Folder does not exist. Please select another folder."));
            }
        }
        expectIdle();
        QDir(path(QStringLiteral("out"))).removeRecursively();
        QDir(other).removeRecursively();
    }
}

struct NamingCase
{
    const char* name;
    const char* input;  // relative to the test folder
    const char* folder; // Text1, relative to the test folder; empty: beside the source
    const char* output; // relative to the test folder
    // Names the case in test listings.
    friend void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.name; }
};

class OutputNameTest : public ConversionRunTest, public testing::WithParamInterface<NamingCase>
{
};

TEST_P(OutputNameTest, FollowsTheBaseName)
{
    const NamingCase& c = GetParam();
    fakeConverter();
    writeFile(path(QLatin1String(c.input)), "m4a");
    add(path(QLatin1String(c.input)));
    useConstantRate(QStringLiteral("128 kbps"));
    if (*c.folder) {
        folder(QStringLiteral("out"));
        saveTo(dir.path() + QLatin1Char('/') + QLatin1String(c.folder));
    } else {
        saveBesideSource();
    }

    form.PushButton2_Click();

    ASSERT_EQ(converterCalls().size(), 1);
    EXPECT_EQ(converterCalls()[0].output, dir.path() + QLatin1Char('/') + QLatin1String(c.output));
    EXPECT_TRUE(QFileInfo::exists(converterCalls()[0].output));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputNameTest,
    testing::Values(NamingCase{"NoDot", "in/song", "out", "out/song.ac3"},
                    NamingCase{"OnlyLeadingDot", "in/.m4a", "out", "out/.m4a.ac3"},
                    NamingCase{"TwoDots", "in/a.b.m4a", "out", "out/a.b.ac3"},
                    NamingCase{"FolderEndingInSeparator", "in/song.m4a", "out/", "out/song.ac3"},
                    NamingCase{"BesideSource", "in/song.m4a", "", "in/song.ac3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionRunTest, TheSecondOfTwoSameNamedInputsIsNotConvertedAndNamesTheFirst)
{
    const QString first = path(QStringLiteral("Album A/01 Intro.m4a"));
    const QString second = path(QStringLiteral("Album B/01 Intro.m4a"));
    makeM4a(first, 1.0);
    makeM4a(second, 2.0);
    add(first);
    add(second);
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files),
              QStringList{QStringLiteral("01 Intro.ac3")});
    EXPECT_NEAR(probeMedia(path(QStringLiteral("out/01 Intro.ac3"))).duration, 1.0, 0.1);
    ASSERT_EQ(form.notConverted().size(), 1);
    EXPECT_EQ(form.notConverted()[0].path, second);
    EXPECT_EQ(form.notConverted()[0].reason,
              QStringLiteral("The result would replace the result of \"%1\".").arg(first));
    EXPECT_TRUE(window.messageTexts().value(0).startsWith(
        QStringLiteral("Done.\r\r1 file could not be converted:\r\r") + second));
    expectIdle();
}

// The same file listed twice is converted for both rows: the second result
// replaces the first, and nothing is reported.
TEST_F(ConversionRunTest, TheSameFileListedTwiceIsConvertedForBothRows)
{
    fakeConverter();
    const QString input = path(QStringLiteral("in/song.m4a"));
    writeFile(input, "m4a");
    for (const QString& row : {input, path(QStringLiteral("in/../in/song.m4a"))})
        add(row);
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    const QList<ConverterCall> calls = converterCalls();
    ASSERT_EQ(calls.size(), 2);
    for (const ConverterCall& call : calls)
        EXPECT_EQ(call.output, path(QStringLiteral("out/song.ac3")));
    EXPECT_TRUE(form.notConverted().isEmpty());
    EXPECT_EQ(window.runsEnded, (QList<QPair<int, int>>{{2, 0}}));
    EXPECT_EQ(window.messageTexts(), QStringList{QStringLiteral("Done.")});
    expectIdle();
}

// A listed ".ac3" and an input of the same name saved into its folder, in
// either order and also when the ".ac3" is listed through a link to its
// folder: the ".ac3" is neither deleted nor overwritten, and both rows are
// named.
TEST_F(ConversionRunTest, NoResultReplacesAListedFile)
{
    struct Case
    {
        bool ac3First;
        const char* listedFolder;
    };
    const Case cases[] = {{true, "out"}, {false, "out"}, {false, "link"}};
    const QString listedAc3 = path(QStringLiteral("out/song.ac3"));
    const QString input = path(QStringLiteral("music/song.m4a"));
    makeM4a(input);
    ASSERT_TRUE(QFile::link(folder(QStringLiteral("out")), path(QStringLiteral("link"))));
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(path(QStringLiteral("out")));
    for (const Case& c : cases) {
        QFile::remove(listedAc3);
        QFile::copy(input, listedAc3);
        const QByteArray before = fileHash(listedAc3);
        const QString listed = path(QLatin1String(c.listedFolder) + QStringLiteral("/song.ac3"));
        list.clear();
        window.messages.clear();
        add(c.ac3First ? listed : input);
        add(c.ac3First ? input : listed);

        form.PushButton2_Click();

        EXPECT_EQ(fileHash(listedAc3), before) << c.listedFolder;
        QHash<QString, QString> reasons;
        for (const NotConverted& row : form.notConverted())
            reasons.insert(row.path, row.reason);
        EXPECT_EQ(reasons.size(), 2);
        EXPECT_EQ(reasons.value(input),
                  QStringLiteral("The result would replace the listed file \"%1\".").arg(listed));
        EXPECT_EQ(reasons.value(listed),
                  QStringLiteral("The result would replace the input file."));
        EXPECT_TRUE(window.messageTexts().value(0).startsWith(
            QStringLiteral("Done.\r\r2 files could not be converted:\r")));
        expectIdle();
    }
}

// Rows the converter must never see. Each case makes its input and returns
// the row's path; the output goes to "out" unless the case saves beside it.
struct RefusedRowCase
{
    const char* name;
    std::function<QString(const QString& base)> make;
    bool besideSource;
    const char* reason;
    // Names the case in test listings.
    friend void PrintTo(const RefusedRowCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedRowTest : public ConversionRunTest, public testing::WithParamInterface<RefusedRowCase>
{
};

TEST_P(RefusedRowTest, IsSkippedNamedAndLeftAlone)
{
    const RefusedRowCase& c = GetParam();
    fakeConverter();
    const QString row = c.make(dir.path());
    // Only a regular file is read: a pipe or device would never end.
    const auto contents = [&] { return QFileInfo(row).isFile() ? fileHash(row) : QByteArray(); };
    const QByteArray before = contents();
    add(row);
    useConstantRate(QStringLiteral("128 kbps"));
    if (c.besideSource)
        saveBesideSource();
    else
        saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    EXPECT_TRUE(converterCalls().isEmpty());
    ASSERT_EQ(form.notConverted().size(), 1);
    EXPECT_EQ(form.notConverted()[0].path, row);
    EXPECT_TRUE(form.notConverted()[0].reason.contains(QLatin1String(c.reason)))
        << form.notConverted()[0].reason.toStdString();
    EXPECT_TRUE(window.messageTexts().value(0).startsWith(
        QStringLiteral("Done.\r\r1 file could not be converted:\r\r") + row))
        << window.messageTexts().value(0).toStdString();
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QFileInfo::exists(row), std::string(c.name) != "Missing");
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedRowTest,
    testing::Values(
        RefusedRowCase{"Ac3IntoItsOwnFolder",
                       [](const QString& base) {
                           writeFile(base + QStringLiteral("/in/song.ac3"), "ac3 data");
                           return base + QStringLiteral("/in/song.ac3");
                       },
                       true, "would replace the input file"},
        RefusedRowCase{"Ac3ThroughALinkToItsFolder",
                       [](const QString& base) {
                           writeFile(base + QStringLiteral("/out/song.ac3"), "ac3 data");
                           QFile::link(base + QStringLiteral("/out"),
                                       base + QStringLiteral("/link"));
                           return base + QStringLiteral("/link/song.ac3");
                       },
                       false, "would replace the input file"},
        RefusedRowCase{"NamedPipe",
                       [](const QString& base) {
                           const QString fifo = base + QStringLiteral("/pipe.m4a");
                           ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
                           return fifo;
                       },
                       false, "FIFO"},
        RefusedRowCase{"Folder",
                       [](const QString& base) {
                           QDir().mkpath(base + QStringLiteral("/folder.m4a"));
                           return base + QStringLiteral("/folder.m4a");
                       },
                       false, "a folder"},
        RefusedRowCase{"Device", [](const QString&) { return QStringLiteral("/dev/zero"); }, false,
                       "a device"},
        RefusedRowCase{"Missing",
                       [](const QString& base) { return base + QStringLiteral("/gone.m4a"); },
                       false, "does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

// Converters that fail in the ways a real one does. Each leaves no result
// and is named with its last error line or what went wrong.
struct FailingConverterCase
{
    const char* name;
    const char* body;
    const char* reason;
    // Names the case in test listings.
    friend void PrintTo(const FailingConverterCase& c, std::ostream* os) { *os << c.name; }
};

class FailingConverterTest : public ConversionRunTest,
                             public testing::WithParamInterface<FailingConverterCase>
{
};

TEST_P(FailingConverterTest, LeavesNoResultAndTheRunGoesOn)
{
    const FailingConverterCase& c = GetParam();
    fakeConverter(QLatin1String(c.body));
    const QString bad = path(QStringLiteral("in/bad.m4a"));
    writeFile(bad, "m4a");
    add(bad);
    const QString good = path(QStringLiteral("in/good.m4a"));
    writeFile(good, "m4a");
    add(good);
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    EXPECT_EQ(converterCalls().size(), 2);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out/bad.ac3"))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("out/good.ac3"))).size() > 0);
    ASSERT_EQ(form.notConverted().size(), 1);
    EXPECT_EQ(form.notConverted()[0].path, bad);
    EXPECT_EQ(form.notConverted()[0].reason, QLatin1String(c.reason));
    EXPECT_TRUE(window.messageTexts().value(0).startsWith(QStringLiteral("Done.\r\r1 file ")));
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingConverterTest,
    testing::Values(
        FailingConverterCase{
            "ErrorExitWithPartialOutput",
            "case $in in *bad*) printf 'part' > \"$out\";\n"
            "printf 'size= 1kB time=00:00:01.00 bitrate=8kbits/s\\r[ac3 @ 0x1] Broken frame\\n"
            "Conversion failed!\\n' >&2; exit 1;; esac\nprintf 'ac3' > \"$out\"",
            "[ac3 @ 0x1] Broken frame"},
        FailingConverterCase{"SilentErrorExit",
                             "case $in in *bad*) exit 3;; esac\nprintf 'ac3' > \"$out\"",
                             "The converter failed with exit code 3."},
        FailingConverterCase{"SuccessWithoutOutput",
                             "case $in in *bad*) exit 0;; esac\nprintf 'ac3' > \"$out\"",
                             "The converter wrote no output file."},
        FailingConverterCase{"SuccessWithEmptyOutput",
                             "case $in in *bad*) : > \"$out\"; exit 0;; esac\n"
                             "printf 'ac3' > \"$out\"",
                             "The converter wrote an empty file."},
        FailingConverterCase{"KilledBySignal",
                             "case $in in *bad*) printf 'part' > \"$out\"; kill -9 $$;; esac\n"
                             "printf 'ac3' > \"$out\"",
                             "The converter failed with exit code 137."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionRunTest, TheConverterReadsNothingFromStandardInput)
{
    // A converter that reads its input would wait forever on a terminal or pipe.
    fakeConverter(QStringLiteral("cat > /dev/null\nreadlink /proc/$$/fd/0 > \"$out\""));
    const QString input = path(QStringLiteral("song.m4a"));
    writeFile(input, "m4a");
    add(input);
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    QFile output(path(QStringLiteral("out/song.ac3")));
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    EXPECT_EQ(output.readAll().trimmed(), QByteArray("/dev/null"));
}

// More failures than a screen holds: the message names every file, each once,
// with its reason (the converter begins its line with the input's name).
TEST_F(ConversionRunTest, ALongListOfFailuresNamesEveryFileOnce)
{
    QStringList rows;
    for (int i = 1; i <= 22; ++i) {
        rows.append(path(QStringLiteral("in/bad %1.m4a").arg(i, 2, 10, QLatin1Char('0'))));
        writeFile(rows.last(), "not audio");
    }
    rows.append(path(QStringLiteral("in/gone.m4a")));
    for (const QString& row : rows)
        add(row);
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    ASSERT_EQ(form.notConverted().size(), 23);
    const QString message = window.messageTexts().value(0);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Done.\r\r23 files could not be converted:\r")));
    for (const NotConverted& file : form.notConverted()) {
        EXPECT_EQ(message.count(file.path), 1) << file.path.toStdString();
        const qsizetype at = message.indexOf(QLatin1Char('\r') + file.path + QLatin1Char('\r'));
        ASSERT_GE(at, 0) << file.path.toStdString();
        const QString reason =
            message.mid(at).section(QLatin1Char('\r'), 1, 1, QString::SectionSkipEmpty);
        if (file.path.endsWith(QLatin1String("gone.m4a")))
            EXPECT_EQ(reason, QStringLiteral("    The file does not exist."));
        else
            EXPECT_TRUE(reason.startsWith(QLatin1String("    ")) &&
                        reason.endsWith(QLatin1String("Invalid data found when processing input")))
                << reason.toStdString();
    }
    EXPECT_FALSE(message.contains(QLatin1String("more")));
    expectIdle();
}

TEST_F(ConversionRunTest, AMissingConverterIsReportedAndEveryRowIsNamed)
{
    environment.set("PLUMARK_FFMPEG", path(QStringLiteral("no-such-ffmpeg")).toUtf8());
    for (const char* name : {"a.m4a", "b.m4a"}) {
        writeFile(path(QLatin1String(name)), "m4a");
        add(path(QLatin1String(name)));
    }
    useConstantRate(QStringLiteral("128 kbps"));
    saveTo(folder(QStringLiteral("out")));

    form.PushButton2_Click();

    ASSERT_EQ(errorReports().size(), 1);
    EXPECT_TRUE(errorReports()[0].contains(
        QStringLiteral("\r\nin Plumark2021/08/31.Form1.PushButton2_Click at line 7\r\r")))
        << errorReports()[0].toStdString();
    ASSERT_EQ(form.notConverted().size(), 2);
    EXPECT_EQ(form.notConverted()[0].reason,
              QStringLiteral("The converter could not be started (file not found)."));
    EXPECT_TRUE(window.messageTexts().last().startsWith(
        QStringLiteral("Done.\r\r2 files could not be converted:\r")));
    expectIdle();
}

} // namespace
