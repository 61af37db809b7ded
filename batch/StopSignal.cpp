#include "batch/StopSignal.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

volatile sig_atomic_t stopWriteFd = -1;

void onStopSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (stopWriteFd >= 0) {
        // A full pipe already holds a stop request: nothing is lost.
        const ssize_t written = ::write(stopWriteFd, &byte, 1);
        static_cast<void>(written);
    }
    errno = savedErrno;
}

} // namespace

StopSignal::StopSignal()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readFd = fds[0];
    m_writeFd = fds[1];
    stopWriteFd = m_writeFd;

    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
    ::sigaction(SIGHUP, &action, &m_oldHup);
}

StopSignal::~StopSignal()
{
    if (m_writeFd < 0)
        return;
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    ::sigaction(SIGHUP, &m_oldHup, nullptr);
    stopWriteFd = -1;
    ::close(m_readFd);
    ::close(m_writeFd);
}

bool StopSignal::requested()
{
    unsigned char byte = 0;
    while (m_readFd >= 0 && ::read(m_readFd, &byte, 1) == 1)
        m_signal = byte;
    return m_signal != 0;
}

} // namespace plumark
