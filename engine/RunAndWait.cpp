#include "engine/RunAndWait.h"

#include "engine/ChildProcess.h"
#include "engine/Paths.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

constexpr int PollIntervalMs = 100;
// Polls before the bar starts to show the wait (about five seconds).
constexpr int FirstCreepPoll = 50;
// Polls between two advances of the bar (about fifteen seconds).
constexpr int PollsPerAdvance = 150;

} // namespace

std::optional<double> barValueAtPoll(int pollCount, int barValue, int fileCount)
{
    if (pollCount < FirstCreepPoll || (pollCount - FirstCreepPoll) % PollsPerAdvance != 0)
        return std::nullopt;
    // Rounding follows the default mode: halves go to the even neighbour.
    const double share = 100.0 / std::max(fileCount, 1);
    const double step = std::nearbyint(share / 10);
    const double limit = std::nearbyint(share + barValue - step);
    const int k = (pollCount - FirstCreepPoll) / PollsPerAdvance;
    const double target = barValue + k * step;
    // The bar's maximum is 100; the last file's limit lies above it.
    return std::min(target < limit ? target : limit, 100.0);
}

QString barTextAtPoll(const QString& barText, int pollCount)
{
    QString text = barText;
    if (!text.isEmpty())
        text += QStringLiteral(", ");
    return text + QCoreApplication::translate("Conversion", "Please wait.. ") +
           QString::number(pollCount - FirstCreepPoll);
}

qint32 RunAndWait(const CommandLine& commandLine, std::optional<int> windowStyle,
                  ProgressBar* progressBar, const QString& barText, qint32 barValue,
                  qint32 fileCount, const std::function<void()>& yield, const QString& stderrFile)
{
    // The style chose how a console window looked; no such window exists
    // here, so every style starts the child alike.
    Q_UNUSED(windowStyle);
    const auto yieldNow = [&yield] {
        if (yield)
            yield();
    };

    int stderrFd = -1;
    if (!stderrFile.isEmpty())
        stderrFd = ::open(nativePath(stderrFile).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    // A converter running when the program ends is left running.
    ChildProcess child;
    ChildSetup setup;
    setup.stderrFd = stderrFd;
    const int error = child.start(commandLine.argv, setup);
    if (stderrFd >= 0)
        ::close(stderrFd);
    if (error)
        return startFailureCode(error);

    int pollCount = 0;
    bool ended = false;
    while (!ended) {
        // The state is read before the wait: the round after the end is the last.
        ended = child.poll();
        yieldNow();
        child.waitFor(PollIntervalMs);
        if (progressBar) {
            yieldNow();
            ++pollCount;
            if (pollCount >= FirstCreepPoll) {
                yieldNow();
                progressBar->setText(barTextAtPoll(barText, pollCount));
                if (const auto value = barValueAtPoll(pollCount, barValue, fileCount))
                    progressBar->setValue(*value);
                yieldNow();
            }
            yieldNow();
        }
        yieldNow();
    }

    if (progressBar)
        progressBar->setText(barText.isEmpty()
                                 ? QCoreApplication::translate("Conversion", "Progress Bar")
                                 : barText);
    // A child whose end could not be read counts as failed.
    return child.exitStatus().value_or(1);
}

} // namespace plumark
