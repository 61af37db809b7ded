#pragma once

#include <QString>

namespace plumark {

// Makes the folder with every missing parent, like "mkdir -p", keeping the
// path's bytes. Returns an empty text when the folder is there afterwards,
// else why not, naming the part that failed.
QString makeFolderPath(const QString& folder);

} // namespace plumark
