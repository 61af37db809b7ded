#pragma once

#include <QString>

namespace plumark {

// The rate token for a rate text: " kbps" (any letter case) becomes "k", then
// blanks are trimmed. "320 kbps" gives "320k".
QString getBitRate(const QString& rateText);

// The number read from the probe's report, or empty when none: the last line
// tagged "Audio Bitrate" (the text before its colon) decides; when there is
// none, the last line tagged "Avg Bitrate" is read the same way. A value in
// "Mbps" is turned into kilobits.
QString rateFromProbeReport(const QString& report);

} // namespace plumark
