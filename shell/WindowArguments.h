#pragma once

#include <QString>
#include <QStringList>

namespace plumark {

// What "plumark [OPTIONS] [--] [FILE...]" asks for.
struct WindowArguments
{
    enum class Action { OpenWindow, ShowHelp, ShowVersion, UsageError };
    Action action = Action::OpenWindow;
    QStringList files; // as given, in order
    QString error;     // one line, for UsageError
};

// Reads the window's arguments (without the program's name). "--" ends the
// options, so that a file whose name begins with "-" can be given.
WindowArguments parseWindowArguments(const QStringList& arguments);

// The text of "plumark --help".
QString windowUsage();

} // namespace plumark
