#pragma once

#include <QStringList>
#include <sys/types.h>

namespace plumark {

// A child process started from an argument vector (never through a shell),
// with standard input from /dev/null. Standard output and error go to the
// given descriptors, or to /dev/null when -1. The child is not killed when
// this object or the program ends; one still running when this object ends
// is reaped as soon as it ends.
class ChildProcess
{
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Whether the child may outlive this process. One that may not is killed
    // by the system the moment this process ends, however it ends.
    enum class Lifetime { Independent, EndsWithThisProcess };

    // Starts the child. Returns 0, or the errno of a failed start.
    int start(const QStringList& argv, int stdoutFd = -1, int stderrFd = -1,
              Lifetime lifetime = Lifetime::Independent);
    // Starts the child as a copy of this process that runs body and ends with
    // its result: no program start to pay, and whatever this process has
    // loaded is there already. The copy keeps only its standard descriptors;
    // its standard input comes from stdinFd, or /dev/null when -1.
    int startCopy(int (*body)(), int stdoutFd = -1, int stderrFd = -1, int stdinFd = -1);

    pid_t pid() const { return m_pid; }
    bool running() const { return m_pid > 0 && !m_ended; }

    // Checks without waiting whether the child has ended; stores its exit code
    // (128 + signal number when a signal ended it).
    bool poll();
    // Waits up to timeoutMs for the child to end; returns early when it does.
    bool waitFor(int timeoutMs);
    int exitCode() const { return m_exitCode; }
    // Asks the child to stop (SIGTERM).
    void terminate();

private:
    // Forgets an ended child before a new start; EBUSY while one runs.
    int beginStart();
    int startEndingWithThisProcess(char* const* argv, int stdinFd, int stdoutFd, int stderrFd);
    void closePidFd();

    pid_t m_pid = -1;
    int m_pidFd = -1;
    bool m_ended = false;
    int m_exitCode = 0;
};

// The runtime error number for a failed start: 53 not found, 70 permission
// denied, 5 anything else.
int startErrorNumber(int errnoValue);
// That number plus 0x80040000, as a signed 32-bit value (53 gives -2147221451).
qint32 startFailureCode(int errnoValue);

} // namespace plumark
