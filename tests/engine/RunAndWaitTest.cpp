#include "engine/RunAndWait.h"
#include "engine/ChildProcess.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <climits>
#include <csignal>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

CommandLine shellCommand(const QString& script)
{
    return {"sh -c " + quoted(script), {"/bin/sh", "-c", script}};
}

struct BarValueCase
{
    int poll, barValue, fileCount;
    std::optional<double> value;
};

void PrintTo(const BarValueCase& c, std::ostream* os)
{
    *os << "poll " << c.poll << ", value " << c.barValue << ", files " << c.fileCount;
}

class BarValueTest : public testing::TestWithParam<BarValueCase>
{
};

TEST_P(BarValueTest, CreepsByStepUpToLimit)
{
    const BarValueCase& c = GetParam();
    EXPECT_EQ(barValueAtPoll(c.poll, c.barValue, c.fileCount), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BarValueTest,
    testing::Values(
        // Four files, the first at 25: share 25, step 2 (2.5 to even), limit 48.
        BarValueCase{1, 25, 4, std::nullopt}, BarValueCase{49, 25, 4, std::nullopt},
        BarValueCase{50, 25, 4, 25}, BarValueCase{51, 25, 4, std::nullopt},
        BarValueCase{199, 25, 4, std::nullopt}, BarValueCase{200, 25, 4, 27},
        BarValueCase{350, 25, 4, 29}, BarValueCase{50 + 150 * 11, 25, 4, 47},
        BarValueCase{50 + 150 * 12, 25, 4, 48}, BarValueCase{50 + 150 * 1000, 25, 4, 48},
        // The last file of a run starts at 100: its limit lies above the bar's maximum.
        BarValueCase{50, 100, 4, 100}, BarValueCase{200, 100, 4, 100},
        BarValueCase{50 + 150 * 1000, 100, 4, 100}, BarValueCase{50, 100, 1, 100},
        BarValueCase{350, 100, 1, 100},
        // One file: share 100, step 10, limit 90 from 0.
        BarValueCase{200, 0, 1, 10}, BarValueCase{50 + 150 * 9, 0, 1, 90},
        BarValueCase{50 + 150 * 10, 0, 1, 90},
        // Three files: share 33.3, step 3, limit 63 from 33.
        BarValueCase{350, 33, 3, 39}, BarValueCase{50 + 150 * 20, 33, 3, 63},
        // Eight files: step 1 (1.25); limits 11.5 and 36.5 go to the even 12 and 36.
        BarValueCase{50 + 150 * 20, 0, 8, 12}, BarValueCase{50 + 150 * 20, 25, 8, 36},
        // Twenty files: step 0.5 goes to 0, the bar stays where it was.
        BarValueCase{200, 10, 20, 10}, BarValueCase{50 + 150 * 50, 10, 20, 10}));

struct BarTextCase
{
    QString barText;
    int poll;
    QString text;
};

void PrintTo(const BarTextCase& c, std::ostream* os)
{
    PrintTo(c.barText, os);
    *os << " at poll " << c.poll;
}

class BarTextTest : public testing::TestWithParam<BarTextCase>
{
};

TEST_P(BarTextTest, CountsPollsFromFifty)
{
    EXPECT_EQ(barTextAtPoll(GetParam().barText, GetParam().poll), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BarTextTest,
    testing::Values(
        BarTextCase{"Processing: song.m4a", 50, "Processing: song.m4a, Please wait.. 0"},
        BarTextCase{"Processing: song.m4a", 51, "Processing: song.m4a, Please wait.. 1"},
        BarTextCase{"Processing: song.m4a", 210, "Processing: song.m4a, Please wait.. 160"},
        BarTextCase{"", 50, "Please wait.. 0"}, BarTextCase{"", 52, "Please wait.. 2"}));

struct ExitCase
{
    QString script;
    std::optional<int> windowStyle;
    bool withBar;
    QString barText;
    qint32 exitCode;
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    PrintTo(c.script, os);
    *os << ", style " << c.windowStyle.value_or(-99) << (c.withBar ? ", bar " : ", no bar");
    if (c.withBar)
        PrintTo(c.barText, os);
}

class RunAndWaitExitTest : public testing::TestWithParam<ExitCase>
{
};

TEST_P(RunAndWaitExitTest, ReturnsTheChildsExitCode)
{
    const ExitCase& c = GetParam();
    FakeWindow window;

    const qint32 result =
        RunAndWait(shellCommand(c.script), c.windowStyle, c.withBar ? &window.bar : nullptr,
                   c.barText, 50, 2, [&] { window.yield(); });

    EXPECT_EQ(result, c.exitCode);
    EXPECT_GT(window.yields, 0);
    EXPECT_TRUE(window.bar.values.isEmpty());
    if (c.withBar)
        EXPECT_EQ(window.bar.texts, QStringList{c.barText.isEmpty() ? "Progress Bar" : c.barText});
    else
        EXPECT_TRUE(window.bar.texts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RunAndWaitExitTest,
                         testing::Values(ExitCase{"exit 3", 0, true, "Processing: a.m4a", 3},
                                         ExitCase{"exit 0", 0, true, "", 0},
                                         ExitCase{"sleep 0.3; exit 255", 0, true, "x", 255},
                                         ExitCase{"kill -KILL $$", 0, true, "x", 128 + 9},
                                         ExitCase{"exit 3", 7, true, "x", 3},
                                         ExitCase{"exit 3", -1, false, "", 3},
                                         ExitCase{"exit 3", std::nullopt, false, "", 3}));

struct StartFailureCase
{
    const char* name;
    QString program; // relative to a scratch folder
    qint32 code;
};

void PrintTo(const StartFailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunAndWaitStartFailureTest : public testing::TestWithParam<StartFailureCase>
{
};

TEST_P(RunAndWaitStartFailureTest, ReturnsAtOnceAndLeavesTheBarAlone)
{
    QTemporaryDir dir;
    test::writeFile(dir.path() + "/not-executable", "#!/bin/sh\nexit 0\n");
    const QString program = dir.path() + '/' + GetParam().program;
    FakeWindow window;

    const qint32 result = RunAndWait({quoted(program), {program}}, 0, &window.bar, "Processing: a",
                                     25, 4, [&] { window.yield(); });

    EXPECT_EQ(result, GetParam().code);
    EXPECT_EQ(window.yields, 0);
    EXPECT_TRUE(window.bar.texts.isEmpty());
    EXPECT_TRUE(window.bar.values.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunAndWaitStartFailureTest,
    testing::Values(StartFailureCase{"Missing", "missing.exe", -2147221451},
                    StartFailureCase{"UnderAFile", "not-executable/ffmpeg.exe", -2147221451},
                    StartFailureCase{"NotExecutable", "not-executable", -2147221434},
                    StartFailureCase{"AFolder", "", -2147221434}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorNumberCase
{
    int errnoValue;
    int number;
    qint32 code;
};

void PrintTo(const ErrorNumberCase& c, std::ostream* os)
{
    *os << "errno " << c.errnoValue;
}

class StartErrorNumberTest : public testing::TestWithParam<ErrorNumberCase>
{
};

TEST_P(StartErrorNumberTest, MapsToTheRuntimeNumbers)
{
    EXPECT_EQ(startErrorNumber(GetParam().errnoValue), GetParam().number);
    EXPECT_EQ(startFailureCode(GetParam().errnoValue), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartErrorNumberTest,
                         testing::Values(ErrorNumberCase{ENOENT, 53, -2147221451},
                                         ErrorNumberCase{ENOTDIR, 53, -2147221451},
                                         ErrorNumberCase{EACCES, 70, -2147221434},
                                         ErrorNumberCase{EPERM, 70, -2147221434},
                                         ErrorNumberCase{ENOEXEC, 5, -2147221499},
                                         ErrorNumberCase{E2BIG, 5, -2147221499}));

TEST(RunAndWaitTest, StandardErrorGoesToTheGivenFile)
{
    QTemporaryDir dir;
    const QString log = dir.path() + "/stderr.log";
    test::writeFile(log, QByteArray(4096, 'x'));

    EXPECT_EQ(RunAndWait(shellCommand("echo out; echo 'bad input' >&2; exit 1"), 0, nullptr, {}, 0,
                         1, {}, log),
              1);

    QFile written(log);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "bad input\n");
}

// The wait is shown from poll 50 on (about five seconds): the only slow test
// of the wait. The child ends once the bar has shown three waits, however
// long the polls take.
TEST(RunAndWaitTest, LongChildShowsTheWaitAndGivesItsOwnExitCode)
{
    QTemporaryDir dir;
    const QString pidFile = dir.path() + "/child.pid";
    FakeWindow window;
    window.bar.setText("Processing: song.m4a");
    window.bar.texts.clear();
    bool told = false;
    const auto yield = [&] {
        window.yield();
        if (told || window.bar.texts.size() < 3)
            return;
        QFile pidText(pidFile);
        const pid_t pid =
            pidText.open(QIODevice::ReadOnly) ? pid_t(pidText.readAll().trimmed().toInt()) : 0;
        if (pid <= 0)
            return;
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        told = true;
    };

    const qint32 result = RunAndWait(
        shellCommand("trap 'kill $!; exit 4' TERM; sleep 600 & echo $$ > '" + pidFile + "'; wait"),
        0, &window.bar, "Processing: song.m4a", 25, 4, yield);

    EXPECT_TRUE(told);
    EXPECT_EQ(result, 4);
    ASSERT_GE(window.bar.texts.size(), 4);
    const qsizetype waits = window.bar.texts.size() - 1;
    for (qsizetype n = 0; n < waits; ++n)
        EXPECT_EQ(window.bar.texts.at(n),
                  "Processing: song.m4a, Please wait.. " + QString::number(n));
    EXPECT_EQ(window.bar.texts.last(), "Processing: song.m4a");
    EXPECT_EQ(window.bar.values, QList<double>{25});
    // Four yields a round, two more in each round that shows the wait.
    const qsizetype rounds = 49 + waits;
    EXPECT_EQ(window.yields, 4 * rounds + 2 * waits);
}

} // namespace
