#include "engine/ChildProcess.h"

#include "engine/Paths.h"
#include "transcode/JobLimits.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace plumark {

namespace {

// The most descriptors a child inherits beside its standard ones.
constexpr size_t MaxPassedFds = 4;

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

qint64 monotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Everything the child's set-up needs, made ready before the fork: between
// the fork and the exec (or the body) only async-signal-safe calls are made,
// and nothing is allocated.
class ChildPlan
{
public:
    ChildPlan() = default;
    ChildPlan(const ChildPlan&) = delete;
    ChildPlan& operator=(const ChildPlan&) = delete;

    // Returns 0 or the errno of what could not be made ready.
    int prepare(const ChildSetup& setup, qint64 heldBytes)
    {
        if (setup.passedFds.size() > MaxPassedFds)
            return EINVAL;
        m_nullIn.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        m_nullOut.reset(::open("/dev/null", O_WRONLY | O_CLOEXEC));
        if (!m_nullIn.valid() || !m_nullOut.valid())
            return errno;
        m_fds[0] = setup.stdinFd >= 0 ? setup.stdinFd : m_nullIn.get();
        m_fds[1] = setup.stdoutFd >= 0 ? setup.stdoutFd : m_nullOut.get();
        m_fds[2] = setup.stderrFd >= 0 ? setup.stderrFd : m_nullOut.get();
        m_count = STDERR_FILENO + 1;
        for (const int fd : setup.passedFds)
            m_fds[m_count++] = fd;
        m_endsWithParent = setup.lifetime == ChildSetup::Lifetime::EndsWithThisProcess;
        m_endSignal = setup.endSignal;
        m_parent = ::getpid();
        if (setup.capMemory && heldBytes >= 0)
            m_cap = transcode::memoryCapAbove(heldBytes);
        return 0;
    }

    // In the child: its descriptors, limits and signals. closeAtExec: the
    // other descriptors close at the exec; else they close now. Returns 0
    // or errno.
    int apply(bool closeAtExec) const
    {
        // Killed when this process ends; if it already has, the child never
        // starts its work.
        if (m_endsWithParent &&
            (::prctl(PR_SET_PDEATHSIG, m_endSignal) != 0 || ::getppid() != m_parent))
            ::_exit(127);
        if (m_cap && ::setrlimit(RLIMIT_DATA, &*m_cap) != 0)
            return errno;
        // Every source first moves above the numbers the child gives out, so
        // that none is overwritten before it is copied.
        std::array<int, STDERR_FILENO + 1 + MaxPassedFds> moved{};
        for (int i = 0; i < m_count; ++i)
            if ((moved[i] = ::fcntl(m_fds[i], F_DUPFD_CLOEXEC, m_count)) < 0)
                return errno;
        // dup2 clears the close-on-exec flag of the copy.
        for (int i = 0; i < m_count; ++i)
            if (::dup2(moved[i], i) < 0)
                return errno;
        ::close_range(unsigned(m_count), ~0U, closeAtExec ? CLOSE_RANGE_CLOEXEC : 0);
        // Nothing blocked, and the default action for the signals this
        // process handles or ignores itself.
        struct sigaction defaultAction = {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            ::sigaction(signalNumber, &defaultAction, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        return 0;
    }

private:
    UniqueFd m_nullIn;
    UniqueFd m_nullOut;
    std::array<int, STDERR_FILENO + 1 + MaxPassedFds> m_fds{};
    int m_count = 0;
    bool m_endsWithParent = false;
    int m_endSignal = SIGKILL;
    pid_t m_parent = -1;
    std::optional<rlimit> m_cap;
};

// No handler of this process may run in a child before its set-up has
// dropped them: a stop sent the moment the child starts would reach a
// handler meant for this process, and be lost.
class SignalsHeld
{
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_SETMASK, &all, &m_previous);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

// Starts the program with the plan's set-up. The child borrows this
// process's memory until its exec (vfork), as a spawn does: no copy of this
// process's page tables to pay for each program. It only makes system calls
// and writes a failed exec's errno into *error before it ends.
[[gnu::noinline]] pid_t spawn(const ChildPlan& plan, char* const* argv, volatile int* error)
{
    SignalsHeld held;
    const pid_t pid = ::vfork();
    if (pid == 0) {
        int failure = plan.apply(true);
        if (!failure) {
            // A program named without a folder is looked up on PATH.
            ::execvp(argv[0], argv);
            failure = errno;
        }
        *error = failure;
        ::_exit(127);
    }
    return pid;
}

} // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_pidFd(std::move(other.m_pidFd)), m_ended(other.m_ended),
      m_exitStatus(other.m_exitStatus), m_supervision(other.m_supervision),
      m_expecting(other.m_expecting), m_lastNews(other.m_lastNews)
{
    other.m_pid = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        // The previous child, if any, is given up as the destructor does.
        ChildProcess previous(std::move(*this));
        m_pid = std::exchange(other.m_pid, -1);
        m_pidFd = std::move(other.m_pidFd);
        m_ended = other.m_ended;
        m_exitStatus = other.m_exitStatus;
        m_supervision = other.m_supervision;
        m_expecting = other.m_expecting;
        m_lastNews = other.m_lastNews;
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    // The child is left to finish on its own; only its exit status is
    // collected, now or when it ends.
    if (running() && !poll())
        reapWhenEnded(m_pid);
    m_pidFd.reset();
}

int ChildProcess::beginStart()
{
    if (running())
        return EBUSY;
    m_pid = -1;
    m_ended = false;
    m_exitStatus.reset();
    m_expecting = false;
    m_pidFd.reset();
    return 0;
}

// Both starts share the child's set-up. A program is exec'd after it, from a
// child that borrows this process's memory until then; a copy is a full fork
// that runs its body instead, so that it pays no program start and keeps what
// this process has loaded. (posix_spawn could set no parent-death signal nor
// memory cap.)
int ChildProcess::start(const QStringList& argv, const ChildSetup& setup)
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

    // A program starts holding nothing of this process.
    ChildPlan plan;
    if (const int error = plan.prepare(setup, 0))
        return error;
    volatile int childError = 0;
    const pid_t pid = spawn(plan, pointers.data(), &childError);
    if (pid < 0)
        return errno;
    if (childError != 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return childError;
    }
    m_pid = pid;
    m_pidFd.reset(openPidFd(pid));
    return 0;
}

int ChildProcess::startCopy(const std::function<int()>& body, const ChildSetup& setup)
{
    if (const int error = beginStart())
        return error;
#ifdef __SANITIZE_ADDRESS__
    // The address sanitizer's allocator ends the program where memory runs
    // out, so a sanitized copy relies on the library's caps alone.
    const qint64 held = -1;
#else
    // The copy may hold what this process holds, and a job's memory more.
    const qint64 held = setup.capMemory ? transcode::heldDataBytes() : -1;
#endif
    ChildPlan plan;
    if (const int error = plan.prepare(setup, held))
        return error;
    pid_t pid;
    {
        SignalsHeld heldSignals;
        pid = ::fork();
        if (pid == 0) {
            if (plan.apply(false) != 0)
                ::_exit(127);
            // No exit handler of this process runs in the copy, nor is its
            // buffered output written twice.
            ::_exit(body());
        }
    }
    if (pid < 0)
        return errno;
    m_pid = pid;
    m_pidFd.reset(openPidFd(pid));
    return 0;
}

bool ChildProcess::poll()
{
    if (m_pid <= 0 || m_ended)
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
            m_exitStatus = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            m_exitStatus = 128 + WTERMSIG(status);
    }
    // Any other result means the status cannot be read any more: the child
    // is gone, and how it ended stays unknown.
    m_ended = true;
    m_expecting = false;
    m_pidFd.reset();
    return true;
}

bool ChildProcess::waitFor(int timeoutMs)
{
    if (poll())
        return true;
    if (!m_pidFd.valid()) {
        ::usleep(useconds_t(qMax(timeoutMs, 0)) * 1000);
        return poll();
    }
    const qint64 deadline = monotonicMs() + qMax(timeoutMs, 0);
    pollfd watched{m_pidFd.get(), POLLIN, 0};
    for (;;) {
        const qint64 remaining = qMax<qint64>(deadline - monotonicMs(), 0);
        const int ready = ::poll(&watched, 1, int(remaining));
        if (ready >= 0 || errno != EINTR || remaining == 0)
            break;
    }
    return poll();
}

void ChildProcess::expectProgress()
{
    m_expecting = true;
    m_lastNews = std::chrono::steady_clock::now();
}

void ChildProcess::progressed()
{
    m_lastNews = std::chrono::steady_clock::now();
}

bool ChildProcess::endIfStalled()
{
    if (!m_expecting || !running() || m_supervision.stallLimit.count() <= 0 ||
        std::chrono::steady_clock::now() - m_lastNews < m_supervision.stallLimit)
        return false;
    // A stuck child is not asked: it may be stuck precisely where it would
    // handle the request.
    signal(SIGKILL);
    waitFor(int(m_supervision.killWait.count()));
    m_expecting = false;
    return true;
}

void ChildProcess::terminate()
{
    signal(SIGTERM);
}

bool ChildProcess::finishStop()
{
    if (!waitFor(int(m_supervision.terminateWait.count()))) {
        signal(SIGKILL);
        waitFor(int(m_supervision.killWait.count()));
    }
    return !running();
}

void ChildProcess::signal(int signalNumber)
{
    // Only a child not yet reaped: its id cannot have been given to another
    // process.
    if (running())
        ::kill(m_pid, signalNumber);
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
