#pragma once

#include <csignal>

namespace plumark {

// Turns SIGINT and SIGTERM into a byte on a pipe (the self-pipe trick), so
// the batch notices a stop request in its wait loop; the handler does
// nothing else. The previous handlers come back at destruction.
class StopSignal
{
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // The descriptor to wait on; readable once a stop was asked.
    int fd() const { return m_readFd; }
    // True once SIGINT or SIGTERM has arrived. Does not block.
    bool requested();
    // The signal that asked for the stop, or 0.
    int signalNumber() const { return m_signal; }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
    int m_signal = 0;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

} // namespace plumark
