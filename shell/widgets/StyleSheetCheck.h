#pragma once

#include <QString>

namespace plumark {

// Whether Qt can parse a style sheet. Qt itself only logs a sheet that it
// cannot parse and then draws as if there were none.
bool styleSheetParses(const QString& sheet);

} // namespace plumark
