#include "engine/ChildProcess.h"
#include "engine/CommandOutput.h"
#include "support/ChildState.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace plumark;

namespace {

TEST(ChildProcessTest, ChildGetsOnlyItsThreeStandardDescriptors)
{
    // A descriptor opened without close-on-exec, as a library might.
    const int stray = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    const QString script = QStringLiteral("n=3; while [ $n -le %1 ]; do [ -e /proc/$$/fd/$n ] && "
                                          "echo leaked $n; n=$((n+1)); done;"
                                          "readlink /proc/$$/fd/0; true")
                               .arg(stray + 16);

    const QString output = GetCommandOutput({{}, {"/bin/sh", "-c", script}}, true, true, false);

    ::close(stray);
    EXPECT_EQ(output, "/dev/null\n");
}

TEST(ChildProcessTest, WaitEndsWhenTheChildIsStopped)
{
    ChildProcess child;
    ASSERT_EQ(child.start({"/bin/sleep", "30"}), 0);
    EXPECT_TRUE(child.running());
    EXPECT_FALSE(child.poll());

    child.terminate();

    EXPECT_TRUE(child.waitFor(10000));
    EXPECT_FALSE(child.running());
    EXPECT_EQ(child.exitCode(), 128 + SIGTERM);
}

void ignoreStop(int) {}

int waitForever()
{
    for (;;)
        ::pause();
}

TEST(ChildProcessTest, CopyStoppedTheMomentItStartsEnds)
{
    // This process handles the stop itself, as the batch does; the copy must
    // not inherit that handler even for the instant after its start.
    struct sigaction handler = {};
    struct sigaction previous = {};
    handler.sa_handler = ignoreStop;
    sigemptyset(&handler.sa_mask);
    ASSERT_EQ(::sigaction(SIGTERM, &handler, &previous), 0);
    for (int round = 0; round < 20; ++round) {
        ChildProcess child;
        ASSERT_EQ(child.startCopy(waitForever), 0);
        child.terminate();
        ASSERT_TRUE(child.waitFor(5000)) << "round " << round;
        EXPECT_EQ(child.exitCode(), 128 + SIGTERM);
    }
    ::sigaction(SIGTERM, &previous, nullptr);
}

TEST(ChildProcessTest, ChildOutlivesItsObjectAndIsReapedWhenItEnds)
{
    QTemporaryDir dir;
    const QString mark = dir.path() + "/finished";
    pid_t pid = -1;
    {
        ChildProcess child;
        ASSERT_EQ(child.start({"/bin/sh", "-c", "sleep 0.3; echo done > \"$1\"", "sh", mark}), 0);
        pid = child.pid();
    }
    EXPECT_NE(test::processState(pid), 0);

    // Gone without another start: no zombie is left behind.
    EXPECT_TRUE(test::waitForState(pid, 0));
    EXPECT_TRUE(QFile::exists(mark));
}

TEST(ChildProcessTest, MovedChildIsStillWaitedFor)
{
    ChildProcess first;
    ASSERT_EQ(first.start({"/bin/sh", "-c", "exit 7"}), 0);
    ChildProcess second(std::move(first));
    EXPECT_FALSE(first.running());

    ChildProcess third;
    third = std::move(second);

    EXPECT_TRUE(third.waitFor(10000));
    EXPECT_EQ(third.exitCode(), 7);
}

} // namespace
