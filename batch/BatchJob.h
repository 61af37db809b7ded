#pragma once

#include <QString>

namespace plumark {

// One input of a batch and what became of it.
struct BatchJob
{
    enum class State { Pending, Running, Converted, Skipped, NotConverted, NotStarted };

    QString input;
    QString output;
    QString folderToMake; // a mirrored sub-folder made before converting; empty when none
    QString rateToken;    // the rate asked of the converter; empty until known
    QString rateNote;     // why the input's own rate could not be read; empty when it was
    // --skip-existing: a result already there that this job would write is kept.
    bool keepExisting = false;
    // Cores its conversion may use, given when it starts.
    int threads = 1;
    State state = State::Pending;
    QString reason;       // why it was skipped or not converted
    int resultKbps = 0;   // the rate the result has, read from its header
    double duration = -1; // the input's length in seconds as the converter reads it
    // Converted as far as the input's data went, when it ended before its
    // declared length: where it ended and that length, in seconds.
    double endedAt = -1;
    double declaredLength = -1;
};

} // namespace plumark
