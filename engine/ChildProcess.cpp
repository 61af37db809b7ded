#include "engine/ChildProcess.h"

#include "engine/Paths.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace plumark {

namespace {

// A child given up while still running is reaped by a small thread the
// moment it ends, so that it never stays a zombie.
void reapWhenEnded(pid_t pid)
{
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child stays a zombie until the program ends.
    }
}

int openPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    // A pidfd is always close-on-exec.
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

qint64 monotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Owns what posix_spawn needs and releases it on every path.
class SpawnSetup
{
public:
    SpawnSetup()
    {
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        ::posix_spawnattr_destroy(&attributes);
        ::posix_spawn_file_actions_destroy(&actions);
        closeFd(nullIn);
        closeFd(nullOut);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    int nullIn = -1;
    int nullOut = -1;
};

} // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_pidFd(other.m_pidFd), m_ended(other.m_ended),
      m_exitCode(other.m_exitCode)
{
    other.m_pid = -1;
    other.m_pidFd = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        // The previous child, if any, is given up as the destructor does.
        ChildProcess previous(std::move(*this));
        m_pid = other.m_pid;
        m_pidFd = other.m_pidFd;
        m_ended = other.m_ended;
        m_exitCode = other.m_exitCode;
        other.m_pid = -1;
        other.m_pidFd = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    // The child is left to finish on its own; only its exit status is
    // collected, now or when it ends.
    if (running() && !poll())
        reapWhenEnded(m_pid);
    closePidFd();
}

int ChildProcess::beginStart()
{
    if (running())
        return EBUSY;
    m_pid = -1;
    m_ended = false;
    m_exitCode = 0;
    closePidFd();
    return 0;
}

int ChildProcess::start(const QStringList& argv, int stdoutFd, int stderrFd, Lifetime lifetime)
{
    if (const int error = beginStart())
        return error;
    if (argv.isEmpty() || argv.constFirst().isEmpty())
        return ENOENT;

    std::vector<QByteArray> arguments;
    arguments.reserve(argv.size());
    for (const QString& argument : argv)
        arguments.push_back(nativePath(argument));
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (QByteArray& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    SpawnSetup setup;
    setup.nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (setup.nullIn < 0)
        return errno;
    if (stdoutFd < 0 || stderrFd < 0) {
        setup.nullOut = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (setup.nullOut < 0)
            return errno;
    }
    if (lifetime == Lifetime::EndsWithThisProcess)
        return startEndingWithThisProcess(pointers.data(), setup.nullIn,
                                          stdoutFd >= 0 ? stdoutFd : setup.nullOut,
                                          stderrFd >= 0 ? stderrFd : setup.nullOut);
    // dup2 onto 0, 1 and 2 clears their close-on-exec flag; every other
    // descriptor of this process is closed in the child.
    int error = ::posix_spawn_file_actions_adddup2(&setup.actions, setup.nullIn, STDIN_FILENO);
    if (!error)
        error = ::posix_spawn_file_actions_adddup2(
            &setup.actions, stdoutFd >= 0 ? stdoutFd : setup.nullOut, STDOUT_FILENO);
    if (!error)
        error = ::posix_spawn_file_actions_adddup2(
            &setup.actions, stderrFd >= 0 ? stderrFd : setup.nullOut, STDERR_FILENO);
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
    if (!error)
        error = ::posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);
#endif
    // The child starts with nothing blocked and with the default action for
    // SIGPIPE, whatever this process has set up for itself.
    sigset_t defaults;
    sigset_t none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    if (!error)
        error = ::posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    if (!error)
        error = ::posix_spawnattr_setsigmask(&setup.attributes, &none);
    if (!error)
        error = ::posix_spawnattr_setflags(&setup.attributes,
                                           POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (error)
        return error;

    // A program named without a folder is looked up on PATH. A failed exec
    // (a missing program, no permission) comes back as the result.
    pid_t pid = -1;
    error = ::posix_spawnp(&pid, pointers.front(), &setup.actions, &setup.attributes,
                           pointers.data(), environ);
    if (error)
        return error;
    m_pid = pid;
    m_pidFd = openPidFd(pid);
    return 0;
}

int ChildProcess::startEndingWithThisProcess(char* const* argv, int stdinFd, int stdoutFd,
                                             int stderrFd)
{
    // A failed exec reports its errno through this pipe; a successful one
    // closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;
    const pid_t parent = ::getpid();
    // No handler of this process may run in the child before its exec.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Killed when this process ends; if it already has, the child never
        // starts its work.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            ::_exit(127);
        int error = 0;
        if (::dup2(stdinFd, STDIN_FILENO) < 0 || ::dup2(stdoutFd, STDOUT_FILENO) < 0 ||
            ::dup2(stderrFd, STDERR_FILENO) < 0)
            error = errno;
        // Every other descriptor closes at the exec, the report pipe with them.
        ::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
        for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(signalNumber, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (!error) {
            ::execvp(argv[0], argv);
            error = errno;
        }
        while (::write(report[1], &error, sizeof error) < 0 && errno == EINTR) {
        }
        ::_exit(127);
    }
    int error = pid < 0 ? errno : 0;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(report[1]);
    if (!error) {
        int childError = 0;
        ssize_t count;
        do
            count = ::read(report[0], &childError, sizeof childError);
        while (count < 0 && errno == EINTR);
        if (count == sizeof childError) {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            error = childError;
        } else {
            m_pid = pid;
            m_pidFd = openPidFd(pid);
        }
    }
    ::close(report[0]);
    return error;
}

int ChildProcess::startCopy(int (*body)(), int stdoutFd, int stderrFd, int stdinFd)
{
    if (const int error = beginStart())
        return error;
    const int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullIn < 0)
        return errno;
    const int nullOut = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullOut < 0) {
        const int error = errno;
        ::close(nullIn);
        return error;
    }
    // Every signal waits until the copy has dropped this process's handlers:
    // a stop sent the moment it starts would otherwise reach a handler meant
    // for this process, and be lost.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The same start as a program gets: its three descriptors and nothing
        // else, nothing blocked, default actions for the signals this process
        // handles itself.
        if (::dup2(stdinFd >= 0 ? stdinFd : nullIn, STDIN_FILENO) < 0 ||
            ::dup2(stdoutFd >= 0 ? stdoutFd : nullOut, STDOUT_FILENO) < 0 ||
            ::dup2(stderrFd >= 0 ? stderrFd : nullOut, STDERR_FILENO) < 0)
            ::_exit(127);
        ::close_range(STDERR_FILENO + 1, ~0U, 0);
        for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(signalNumber, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // No exit handler of this process runs in the copy, nor is its
        // buffered output written twice.
        ::_exit(body());
    }
    const int error = pid < 0 ? errno : 0;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(nullIn);
    ::close(nullOut);
    if (error)
        return error;
    m_pid = pid;
    m_pidFd = openPidFd(pid);
    return 0;
}

bool ChildProcess::poll()
{
    if (m_pid <= 0)
        return true;
    if (m_ended)
        return true;
    int status = 0;
    pid_t result;
    do
        result = ::waitpid(m_pid, &status, WNOHANG);
    while (result < 0 && errno == EINTR);
    if (result == 0)
        return false;
    if (result == m_pid) {
        if (WIFEXITED(status))
            m_exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            m_exitCode = 128 + WTERMSIG(status);
    }
    // Any other result means the status cannot be read any more: the child is
    // gone and its exit code stays as it was.
    m_ended = true;
    closePidFd();
    return true;
}

bool ChildProcess::waitFor(int timeoutMs)
{
    if (poll())
        return true;
    if (m_pidFd < 0) {
        ::usleep(useconds_t(qMax(timeoutMs, 0)) * 1000);
        return poll();
    }
    const qint64 deadline = monotonicMs() + qMax(timeoutMs, 0);
    pollfd watched{m_pidFd, POLLIN, 0};
    for (;;) {
        const qint64 remaining = qMax<qint64>(deadline - monotonicMs(), 0);
        const int ready = ::poll(&watched, 1, int(remaining));
        if (ready >= 0 || errno != EINTR || remaining == 0)
            break;
    }
    return poll();
}

void ChildProcess::terminate()
{
    if (running())
        ::kill(m_pid, SIGTERM);
}

void ChildProcess::closePidFd()
{
    closeFd(m_pidFd);
}

int startErrorNumber(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return 53;
    case EACCES:
    case EPERM:
        return 70;
    default:
        return 5;
    }
}

qint32 startFailureCode(int errnoValue)
{
    return static_cast<qint32>(static_cast<quint32>(startErrorNumber(errnoValue)) + 0x80040000u);
}

} // namespace plumark
