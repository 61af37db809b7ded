#include "base/ErrorReport.h"
#include "engine/BitRate.h"
#include "engine/CommandOutput.h"
#include "engine/Tools.h"
#include "shell/MainForm.h"

namespace plumark {

QString MainForm::getAudioBitRate(const QString& inputPath)
{
    Guard guard(window(), identity::getAudioBitRate);
    QString result;
    CommandLine command;
    QString report;
    QString found;

    // The constant rate is the fallback, worked out before anything else.
    guard.step(1, [&] { result = getBitRate(window().rateText()); });
    // During a run the probe is the one in the run's tools folder; outside a
    // run the installed probe is used directly.
    guard.step(2, [&] {
        const QString probe = m_tools ? m_tools->probePath() : LoadResource(ProbeResource);
        command = probeCommand(probe, inputPath);
    });
    guard.step(3, [&] {
        report = GetCommandOutput(command, true, false, true, [this] { window().yield(); });
    });
    guard.step(4, [&] { found = rateFromProbeReport(report); });
    guard.step(5, [&] {
        if (!found.isEmpty())
            result = found + QLatin1Char('k');
    });
    return result;
}

} // namespace plumark
