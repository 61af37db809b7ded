// How long RunAndWait takes for a child that exits at once: the call's whole
// duration bounds the time from the child's exit to the call's return.
#include "engine/RunAndWait.h"

#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace plumark;

namespace {

class NullBar : public ProgressBar
{
public:
    int value() const override { return 0; }
    void setValue(double) override {}
    QString text() const override { return {}; }
    void setText(const QString&) override {}
};

double percentile(std::vector<double> sorted, double fraction)
{
    const auto index = static_cast<size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted.at(index);
}

} // namespace

int main()
{
    constexpr int Runs = 200;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("true"));
    if (program.isEmpty()) {
        std::fprintf(stderr, "no 'true' program on PATH\n");
        return 1;
    }
    const CommandLine command{quoted(program), {program}};
    NullBar bar;
    int yields = 0;
    const auto yield = [&yields] { ++yields; };

    std::vector<double> durations;
    durations.reserve(Runs);
    for (int i = 0; i < Runs; ++i) {
        const auto started = std::chrono::steady_clock::now();
        const qint32 exitCode =
            RunAndWait(command, 0, &bar, QStringLiteral("Processing: x.m4a"), 0, 1, yield);
        const auto ended = std::chrono::steady_clock::now();
        if (exitCode != 0) {
            std::fprintf(stderr, "run %d: exit code %d\n", i, exitCode);
            return 1;
        }
        durations.push_back(std::chrono::duration<double, std::milli>(ended - started).count());
    }
    std::sort(durations.begin(), durations.end());
    std::printf("RunAndWait of %s, %d runs: median %.2f ms, p90 %.2f ms, max %.2f ms "
                "(target: median <= 5 ms)\n",
                qPrintable(program), Runs, percentile(durations, 0.5), percentile(durations, 0.9),
                durations.back());
    return percentile(durations, 0.5) <= 5.0 ? 0 : 2;
}
