#pragma once

#include "base/Window.h"
#include "engine/CommandLine.h"

#include <functional>
#include <optional>

namespace plumark {

// The bar value to set at a poll, or none when this poll does not advance
// the bar: from poll 50 on, every 150 polls, barValue + k * step up to the
// limit share + barValue - step (share = 100 / fileCount, step = share / 10,
// both rounded halves to even), never above 100.
std::optional<double> barValueAtPoll(int pollCount, int barValue, int fileCount);

// The bar text shown at a poll from 50 on: "<barText>, Please wait.. <n>".
QString barTextAtPoll(const QString& barText, int pollCount);

// Starts the command line's argument vector and waits for the child, polling
// every 100 ms (a wait that ends early when the child ends) and yielding so the
// window stays responsive, while the bar creeps forward. Returns the exit code,
// or startFailureCode() when the child could not be started (the bar is not
// touched then). When stderrFile is given the child's standard error is
// written to it; otherwise it goes to /dev/null.
qint32 RunAndWait(const CommandLine& commandLine, std::optional<int> windowStyle,
                  ProgressBar* progressBar, const QString& barText, qint32 barValue,
                  qint32 fileCount, const std::function<void()>& yield,
                  const QString& stderrFile = {});

} // namespace plumark
