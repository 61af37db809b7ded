#include "shell/WindowArguments.h"

#include <QCommandLineParser>

namespace plumark {

WindowArguments parseWindowArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-x.m4a" is one unknown option, not five.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});

    WindowArguments parsed;
    // The parser skips its first argument, the program's name.
    if (!parser.parse(QStringList{QStringLiteral("plumark")} + arguments)) {
        parsed.action = WindowArguments::Action::UsageError;
        parsed.error = parser.errorText();
    } else if (parser.isSet(help)) {
        parsed.action = WindowArguments::Action::ShowHelp;
    } else if (parser.isSet(version)) {
        parsed.action = WindowArguments::Action::ShowVersion;
    } else {
        parsed.files = parser.positionalArguments();
    }
    return parsed;
}

QString windowUsage()
{
    return QStringLiteral(
        "Usage: plumark [OPTIONS] [--] [FILE...]\n"
        "       plumark convert [OPTIONS] PATH...\n"
        "\n"
        "Opens the converter's window; each FILE is added to its list. \"plumark convert\"\n"
        "converts files and folders without a window (see \"plumark convert --help\").\n"
        "\n"
        "Options:\n"
        "  -h, --help         show this text\n"
        "  --version          show the version\n"
        "  --                 end of options: every later argument is a FILE\n"
        "\n"
        "Exit status: 0 when the window is closed, 1 when it cannot be opened (no\n"
        "display), 2 for a usage error.\n");
}

} // namespace plumark
