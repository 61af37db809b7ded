#pragma once

#include <QString>

namespace plumark {

// The folder of the program's own files: beside the executable when they are
// there (a build tree), else <prefix>/share/plumark once installed. No
// trailing "/" except at the root.
QString ProgramFolder();

} // namespace plumark
