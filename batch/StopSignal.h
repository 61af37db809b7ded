#pragma once

#include <csignal>

namespace plumark {

// Turns SIGINT, SIGTERM and SIGHUP (the terminal closed) into a byte on a
// pipe (the self-pipe trick), so the batch notices a stop request in its wait
// loop and ends in order; the handler does nothing else. The previous
// handlers come back at destruction.
class StopSignal
{
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // The descriptor to wait on; readable once a stop was asked.
    int fd() const { return m_readFd; }
    // True once a stop signal has arrived. Does not block.
    bool requested();
    // The signal that asked for the stop, or 0.
    int signalNumber() const { return m_signal; }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
    int m_signal = 0;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
    struct sigaction m_oldHup = {};
};

} // namespace plumark
