#pragma once

#include <QString>

namespace plumark {

// Whether a result already there may stand for its input (--skip-existing):
// its AC3 frames run whole to its end and hold the input's audio, no frame
// more or less than a conversion of the input gives.
bool isWholeResultOf(const QString& input, const QString& output);

} // namespace plumark
