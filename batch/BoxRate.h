#pragma once

#include <QString>

namespace plumark {

// An MP4-family input's own rate read from its boxes, as the probe
// (exiftool) works it out and the window's rule (rateFromProbeReport) reads
// it: the sizes of the top-level media data boxes over the movie's length,
// shown in its units, so that the token is the one the probe would give.
// Only files whose boxes the probe would read the same way are answered; any
// box that could give the probe's report another rate line leaves the answer
// to the probe.
struct BoxRate
{
    enum class Outcome {
        Found,    // the rate, in rate
        None,     // the probe's report would hold no rate: the fallback applies
        AskProbe, // not read here: only the probe can tell
        Refused   // the input gate refuses the file: nothing reads it
    };
    Outcome outcome = Outcome::AskProbe;
    QString rate;    // the number, in kilobits, as rateFromProbeReport gives it
    QString refusal; // the gate's reason, when refused

    // Reads the file at path (its native bytes).
    static BoxRate read(const QByteArray& path);
};

} // namespace plumark
