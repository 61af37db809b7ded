#include "shell/widgets/Application.h"

#include "shell/Translations.h"
#include "shell/WindowArguments.h"
#include "shell/widgets/Form1.h"
#include "shell/widgets/PlatformStart.h"

#include <QDir>
#include <cstdio>

namespace plumark {

namespace {

constexpr int UsageError = 2;

void printTo(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int runWindow(int argc, char** argv)
{
    // The arguments are read before any display is needed, so that --help
    // and --version work without one.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const WindowArguments parsed = parseWindowArguments(arguments);
    switch (parsed.action) {
    case WindowArguments::Action::ShowHelp:
        printTo(stdout, windowUsage());
        return 0;
    case WindowArguments::Action::ShowVersion:
        printTo(stdout, QStringLiteral("plumark %1\n").arg(QStringLiteral(PLUMARK_VERSION)));
        return 0;
    case WindowArguments::Action::UsageError:
        printTo(stderr, QStringLiteral("plumark: %1 See \"plumark --help\".\n").arg(parsed.error));
        return UsageError;
    case WindowArguments::Action::OpenWindow:
        break;
    }
    if (!displayNamed()) {
        printTo(stderr, noWindowMessage(QStringLiteral("no display (DISPLAY and WAYLAND_DISPLAY "
                                                       "are not set)")));
        return NoWindowStatus;
    }

    // Qt is given only the program's name: every argument has been read
    // above, and a file named like one of Qt's own options stays a file.
    int qtArgc = 1;
    const auto app = startApplication(qtArgc, argv);
    installTranslations(*app);
    Form1 window;
    window.form().Form_Load();
    // Files named on the command line (a file manager's "Open With") join the
    // list as a drop of them would.
    QStringList paths;
    for (const QString& file : parsed.files)
        paths.append(QDir::current().absoluteFilePath(file));
    if (!paths.isEmpty())
        window.form().ListView1_OLEDragDrop(paths);
    window.centreOnScreen();
    window.show();
    return app->exec();
}

} // namespace plumark
