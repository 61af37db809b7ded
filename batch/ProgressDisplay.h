#pragma once

#include "batch/BatchJob.h"
#include "batch/ProgressEstimate.h"

#include <QByteArray>

namespace plumark {

// Shows how far a batch is. On a terminal: one line, redrawn in place. Else
// one plain line on standard output per finished file.
class ProgressDisplay
{
public:
    // terminalFd: the terminal to draw on, or -1 for plain lines.
    explicit ProgressDisplay(int terminalFd);

    // The terminal that standard error or standard output is, or -1.
    static int findTerminal();

    bool onTerminal() const { return m_terminalFd >= 0; }
    void show(const ProgressSnapshot& snapshot);
    void fileFinished(const BatchJob& job, int done, int total);
    // Removes the progress line before the summary is written.
    void clear();

private:
    void write(const QByteArray& bytes);

    int m_terminalFd;
    bool m_drawn = false;
};

} // namespace plumark
