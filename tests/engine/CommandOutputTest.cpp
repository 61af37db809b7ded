#include "engine/CommandOutput.h"
#include "base/Failure.h"
#include "support/ChildState.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"

#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

CommandLine shellCommand(const QString& script)
{
    return {"sh -c " + quoted(script), {"/bin/sh", "-c", script}};
}

class CommandOutputTest : public testing::Test
{
protected:
    // A child that prints the file's bytes.
    CommandLine printFile(const QByteArray& bytes)
    {
        const QString path = dir.path() + "/printed";
        test::writeFile(path, bytes);
        return {"cat " + quoted(path), {"/bin/cat", path}};
    }

    QTemporaryDir dir;
    FakeWindow window;
    std::function<void()> yield = [this] { window.yield(); };
};

class SplitCharacterTest : public CommandOutputTest, public testing::WithParamInterface<int>
{
};

TEST_P(SplitCharacterTest, CharacterAcrossChunksComesBackWhole)
{
    const QString name = QString::fromUtf8("🎵 Ünïcødé 漢字 песня.m4a\n");
    const QByteArray printed = QByteArray(GetParam(), 'a') + name.toUtf8();

    EXPECT_EQ(GetCommandOutput(printFile(printed), true, false, true, yield),
              QString(GetParam(), 'a') + name);
}

// The four-byte first character starts 3, 2 and 1 bytes before the chunk's end.
INSTANTIATE_TEST_SUITE_P(Offsets, SplitCharacterTest, testing::Values(1021, 1022, 1023, 1024));

TEST_F(CommandOutputTest, NothingWrittenGivesEmptyText)
{
    EXPECT_EQ(GetCommandOutput(printFile({}), true, false, true, yield), "");
    EXPECT_EQ(window.yields, 1);
}

TEST_F(CommandOutputTest, ExactlyOneChunk)
{
    const QByteArray printed(1024, 'z');

    EXPECT_EQ(GetCommandOutput(printFile(printed), true, false, true, yield),
              QString::fromLatin1(printed));
    EXPECT_EQ(window.yields, 2);
}

TEST_F(CommandOutputTest, MissingProgramGivesTheFailureText)
{
    const QString program = dir.path() + "/exiftool.exe";

    EXPECT_EQ(GetCommandOutput({quoted(program), {program}}, true, false, true, yield),
              "Failed to create process, check the path of the command line.");
    EXPECT_EQ(window.yields, 0);
}

TEST_F(CommandOutputTest, NoStreamAskedIsError5)
{
    try {
        GetCommandOutput(shellCommand("echo x"), false, false, true, yield);
        FAIL() << "no failure raised";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "Invalid procedure call or argument");
    }
}

struct StreamCase
{
    bool out, err;
    QString script, output;
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << (c.out ? "output" : "") << (c.out && c.err ? " and " : "") << (c.err ? "error" : "")
        << " of ";
    PrintTo(c.script, os);
}

class StreamTest : public CommandOutputTest, public testing::WithParamInterface<StreamCase>
{
};

TEST_P(StreamTest, OnlyTheAskedStreamsAreRead)
{
    const StreamCase& c = GetParam();
    EXPECT_EQ(GetCommandOutput(shellCommand(c.script), c.out, c.err, true, yield), c.output);
}

// 10 MB to the stream that is not read must not keep the child waiting.
INSTANTIATE_TEST_SUITE_P(
    Cases, StreamTest,
    testing::Values(StreamCase{true, true, "echo one; echo two >&2; echo three; echo four >&2",
                               "one\ntwo\nthree\nfour\n"},
                    StreamCase{true, false, "echo one; echo two >&2; echo three", "one\nthree\n"},
                    StreamCase{false, true, "echo one; echo two >&2; echo three", "two\n"},
                    StreamCase{true, false, "head -c 10485760 /dev/zero >&2; echo done", "done\n"},
                    StreamCase{false, true, "head -c 10485760 /dev/zero; echo done >&2",
                               "done\n"}));

TEST_F(CommandOutputTest, AChildThatEndsJustAfterClosingItsOutputIsReapedAtOnce)
{
    const QString output = GetCommandOutput(shellCommand("echo $$; exec >&- 2>&-; sleep 0.3"), true,
                                            true, true, yield);
    const pid_t pid = output.trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(test::processState(pid), 0);
}

TEST_F(CommandOutputTest, ReturnsWhenAChildGoesOnRunningAndReapsItWhenItEnds)
{
    const QString output = GetCommandOutput(shellCommand("echo $$; exec >&- 2>&-; exec sleep 30"),
                                            true, true, true, yield);
    const pid_t pid = output.trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_NE(test::processState(pid), 0);
    EXPECT_NE(test::processState(pid), 'Z');

    ::kill(pid, SIGTERM);
    EXPECT_TRUE(test::waitForState(pid, 0));
}

} // namespace
