#include "batch/InputRate.h"

#include "engine/BitRate.h"
#include "engine/CommandLine.h"
#include "engine/CommandOutput.h"

namespace plumark {

QString inputRateToken(const QString& probePath, const QString& inputPath,
                       const QString& fallbackToken, const std::function<void()>& yield)
{
    const QString report =
        GetCommandOutput(probeCommand(probePath, inputPath), true, false, true, yield);
    const QString found = rateFromProbeReport(report);
    return found.isEmpty() ? fallbackToken : found + QLatin1Char('k');
}

} // namespace plumark
