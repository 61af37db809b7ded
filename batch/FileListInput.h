#pragma once

#include <QString>
#include <QStringList>

namespace plumark {

// The paths named in a file ("-" for standard input), one a line or, when
// nullSeparated, each ended by a NUL character as "find -print0" writes them.
// Every byte of a name is kept; empty names are left out. When the file
// cannot be read, problem says why.
QStringList readFileList(const QString& file, bool nullSeparated, QString& problem);

} // namespace plumark
