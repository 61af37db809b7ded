// The probe's report is outside text: any bytes must give a usable rate token
// or none, and the last rate line must decide.
#include "engine/BitRate.h"
#include "fuzz/FuzzInput.h"

using plumark::rateFromProbeReport;
using plumark::fuzz::require;

// Whether a line of the report has the tag as its name: the text before the
// line's first colon, trimmed. A tag inside a value (a file name) never counts.
static bool hasTagLine(const QString& report, QLatin1String tag)
{
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon >= 0 && line.left(colon).trimmed() == tag)
            return true;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString report = plumark::fuzz::textPieces(data, size, 1).constFirst();
    const QString rate = rateFromProbeReport(report);
    require(!rate.contains(QLatin1Char(' ')) && !rate.contains(QLatin1Char('\n')),
            "the rate is one blank-free piece", rate);

    // Whatever came before, a later "Audio Bitrate" line decides.
    const QString audioLast =
        report + QStringLiteral("\r\nAudio Bitrate                   : 192 kbps");
    require(rateFromProbeReport(audioLast) == QLatin1String("192"),
            "the last Audio Bitrate line decides", rateFromProbeReport(audioLast));

    // An "Avg Bitrate" line counts only when no line is named "Audio Bitrate",
    // and its Mbps value is turned into kilobits.
    const QString avgLast =
        report + QStringLiteral("\r\nAvg Bitrate                     : 1.41 Mbps");
    const QString expected =
        hasTagLine(report, QLatin1String("Audio Bitrate")) ? rate : QStringLiteral("1410");
    require(rateFromProbeReport(avgLast) == expected,
            "Avg Bitrate is the fallback, read in kilobits", rateFromProbeReport(avgLast));
    return 0;
}
