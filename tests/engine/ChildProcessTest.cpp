#include "engine/ChildProcess.h"
#include "engine/CommandOutput.h"
#include "support/ChildState.h"
#include "transcode/JobLimits.h"

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
    EXPECT_EQ(child.exitStatus(), 128 + SIGTERM);
}

// What a child writes to its standard output, up to its end.
class OutputPipe
{
public:
    OutputPipe() { EXPECT_EQ(::pipe2(m_fds, O_CLOEXEC), 0); }
    ~OutputPipe()
    {
        for (const int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
    }
    int writeEnd() const { return m_fds[1]; }
    // Once the child holds the write end, this side lets go of it.
    void started()
    {
        ::close(m_fds[1]);
        m_fds[1] = -1;
    }
    // Reads until text has arrived or the pipe has closed.
    QByteArray readUntil(const QByteArray& text)
    {
        while (!m_read.contains(text)) {
            char chunk[4096];
            const ssize_t count = ::read(m_fds[0], chunk, sizeof chunk);
            if (count <= 0)
                break;
            m_read.append(chunk, count);
        }
        return m_read;
    }

private:
    int m_fds[2] = {-1, -1};
    QByteArray m_read;
};

// A child that will not end on SIGTERM: its status does not exist while it
// runs, nor does a stop that has not reaped it give one.
TEST(ChildProcessTest, NoExitStatusBeforeTheChildIsReaped)
{
    OutputPipe output;
    ChildProcess child;
    ChildSetup setup;
    setup.stdoutFd = output.writeEnd();
    ASSERT_EQ(child.start({"/bin/sh", "-c", "trap '' TERM; echo ready; exec sleep 30"}, setup), 0);
    output.started();
    ASSERT_TRUE(output.readUntil("ready\n").contains("ready"));
    EXPECT_FALSE(child.exitStatus().has_value());

    child.terminate();
    EXPECT_FALSE(child.waitFor(200));
    EXPECT_TRUE(child.running());
    EXPECT_FALSE(child.exitStatus().has_value()) << "no status before the end";

    // The rest of the stop order: SIGKILL, which it cannot ignore.
    Supervision quick;
    quick.terminateWait = std::chrono::milliseconds(0);
    quick.killWait = std::chrono::milliseconds(10000);
    child.supervise(quick);
    EXPECT_TRUE(child.finishStop());
    EXPECT_EQ(child.exitStatus(), 128 + SIGKILL);
}

// The descriptors a child is handed arrive as 3, 4, ..., in order, also
// where their numbers cross; nothing else of this process does.
TEST(ChildProcessTest, PassedDescriptorsArriveInOrder)
{
    QTemporaryDir dir;
    const QByteArray first = QFile::encodeName(dir.filePath(QStringLiteral("first")));
    const QByteArray second = QFile::encodeName(dir.filePath(QStringLiteral("second")));
    int a = ::open(first.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    int b = ::open(second.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    // b given first: it must not be overwritten by a's copy, whatever the
    // numbers.
    ChildProcess child;
    ChildSetup setup;
    setup.passedFds = {b, a};
    ASSERT_EQ(child.start({"/bin/sh", "-c",
                           "echo to-b >&3; echo to-a >&4; [ -e /proc/$$/fd/5 ] && echo leaked >&3"},
                          setup),
              0);
    ::close(a);
    ::close(b);
    ASSERT_TRUE(child.waitFor(10000));
    EXPECT_EQ(child.exitStatus(), 1) << "the last test finds no fifth descriptor";
    QFile firstFile(QFile::decodeName(first));
    QFile secondFile(QFile::decodeName(second));
    ASSERT_TRUE(firstFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(secondFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(firstFile.readAll(), "to-a\n");
    EXPECT_EQ(secondFile.readAll(), "to-b\n");
}

// The maximum data size a child reads in its own limits, in bytes.
qint64 childDataLimit(bool copy)
{
    OutputPipe output;
    ChildProcess child;
    ChildSetup setup;
    setup.stdoutFd = output.writeEnd();
    setup.capMemory = true;
    const auto printLimits = [] {
        QFile limits(QStringLiteral("/proc/self/limits"));
        if (!limits.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray text = limits.readAll();
        return ::write(STDOUT_FILENO, text.constData(), size_t(text.size())) == text.size() ? 0 : 1;
    };
    const int error = copy ? child.startCopy(printLimits, setup)
                           : child.start({"/bin/cat", "/proc/self/limits"}, setup);
    EXPECT_EQ(error, 0);
    output.started();
    const QByteArray limits = output.readUntil("\nMax realtime timeout");
    child.waitFor(10000);
    for (const QByteArray& line : limits.split('\n'))
        if (line.startsWith("Max data size"))
            return line.simplified().split(' ').value(3).toLongLong();
    return -1;
}

// A converter's data is capped at what one conversion may take: a program
// from its start, a copy above what this process holds.
TEST(ChildProcessTest, MemoryCapHoldsForProgramsAndCopies)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "a sanitized copy relies on the library's caps";
#endif
    EXPECT_EQ(childDataLimit(false), transcode::JobMemoryBytes);
    const qint64 held = transcode::heldDataBytes();
    const qint64 copyLimit = childDataLimit(true);
    EXPECT_GE(copyLimit, held + transcode::JobMemoryBytes / 2);
    EXPECT_LE(copyLimit, held + transcode::JobMemoryBytes * 2);
}

// A child with work that reports nothing for the stall limit is killed;
// news in time keeps it.
TEST(ChildProcessTest, ASilentChildIsEndedByTheStallRule)
{
    ChildProcess child;
    Supervision supervision;
    supervision.stallLimit = std::chrono::milliseconds(300);
    child.supervise(supervision);
    ASSERT_EQ(child.start({"/bin/sleep", "30"}), 0);
    EXPECT_FALSE(child.endIfStalled()) << "no work, no stall";
    child.expectProgress();
    while (!child.endIfStalled())
        ASSERT_FALSE(child.waitFor(50)) << "the sleep ended on its own";
    EXPECT_EQ(child.exitStatus(), 128 + SIGKILL);
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
        EXPECT_EQ(child.exitStatus(), 128 + SIGTERM);
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
    EXPECT_EQ(third.exitStatus(), 7);
}

} // namespace
