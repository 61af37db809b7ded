#pragma once

#include "base/UniqueFd.h"

#include <QStringList>
#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace plumark {

// How a child with work is watched and how it is stopped. The batch holds
// its converter workers, the ffmpeg program and the rate probe to the same
// rules.
struct Supervision
{
    // A child with work that reports nothing for this long is stuck (an
    // input that blocks, a decoder in a loop) and is killed; zero: never.
    std::chrono::milliseconds stallLimit{0};
    // The stop order: SIGTERM, up to terminateWait to end, then SIGKILL and
    // up to killWait to be reaped.
    std::chrono::milliseconds terminateWait{5000};
    std::chrono::milliseconds killWait{2000};
};

// What a child starts with.
struct ChildSetup
{
    // Its standard descriptors; -1 is /dev/null.
    int stdinFd = -1;
    int stdoutFd = -1;
    int stderrFd = -1;
    // Further descriptors it inherits, as 3, 4, ... in this order. Every
    // other descriptor of this process is closed in the child.
    std::vector<int> passedFds;
    // Whether the child may outlive this process. One that may not gets
    // endSignal the moment this process ends, however it ends.
    enum class Lifetime { Independent, EndsWithThisProcess };
    Lifetime lifetime = Lifetime::Independent;
    int endSignal = SIGKILL;
    // Caps the child's data at what it holds at its start plus what one
    // conversion may take (transcode::JobMemoryBytes).
    bool capMemory = false;
};

// The one owner of a child process, for its whole life: its start (from an
// argument vector, never through a shell, or as a copy of this process), its
// limits, the stall rule, the stop order and its reaping. Its exit status
// exists only once it has been reaped. The child is not killed when this
// object or the program ends; one still running when this object ends is
// reaped as soon as it ends.
class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Starts the program argv names (looked up on PATH when named without a
    // folder). Returns 0, or the errno of a failed start.
    int start(const QStringList& argv, const ChildSetup& setup = {});
    // Starts the child as a copy of this process that runs body and ends with
    // its result: no program start to pay, and whatever this process has
    // loaded is there already.
    int startCopy(const std::function<int()>& body, const ChildSetup& setup = {});

    pid_t pid() const { return m_pid; }
    bool running() const { return m_pid > 0 && !m_ended; }

    // Checks without waiting whether the child has ended, and reaps it.
    bool poll();
    // Waits up to timeoutMs for the child to end; returns early when it does.
    bool waitFor(int timeoutMs);
    // Its exit code (128 + the signal number when a signal ended it), once it
    // has been reaped; none before, nor when its end could not be read.
    std::optional<int> exitStatus() const { return m_exitStatus; }

    void supervise(const Supervision& supervision) { m_supervision = supervision; }
    const Supervision& supervision() const { return m_supervision; }
    // The child has work from now on: its silence counts from here.
    void expectProgress();
    // The child reported something.
    void progressed();
    // The child has no work: silence is no stall.
    void rest() { m_expecting = false; }
    // Kills a child with work that has been silent for longer than the
    // stall limit, and reaps it; true when it did.
    bool endIfStalled();

    // The stop order, in two halves so that many children can be asked
    // before any is waited for: asks the child to end (SIGTERM); then waits
    // for it, killing it when it will not end. True once it has been reaped.
    void terminate();
    bool finishStop();
    bool stop()
    {
        terminate();
        return finishStop();
    }

private:
    int beginStart();
    void signal(int signalNumber);

    pid_t m_pid = -1;
    UniqueFd m_pidFd;
    bool m_ended = false;
    std::optional<int> m_exitStatus;
    Supervision m_supervision;
    bool m_expecting = false;
    std::chrono::steady_clock::time_point m_lastNews;
};

// The runtime error number for a failed start: 53 not found, 70 permission
// denied, 5 anything else.
int startErrorNumber(int errnoValue);
// That number plus 0x80040000, as a signed 32-bit value (53 gives -2147221451).
qint32 startFailureCode(int errnoValue);

} // namespace plumark
