#pragma once

#include <QCursor>
#include <QString>
#include <optional>

namespace plumark {

// A pointer read from a .cur or .ico file, with the hot spot a .cur file
// names (an icon's is its centre). None when the file cannot be read.
std::optional<QCursor> cursorFromFile(const QString& file);

} // namespace plumark
