#include "shell/widgets/Application.h"

#include "shell/widgets/Form1.h"

#include <QApplication>
#include <QDir>

namespace plumark {

int runWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    Form1 window;
    window.form().Form_Load();
    // Files named on the command line (a file manager's "Open With") join the
    // list as a drop of them would.
    QStringList paths;
    for (const QString& argument : app.arguments().mid(1))
        paths.append(QDir::current().absoluteFilePath(argument));
    if (!paths.isEmpty())
        window.form().ListView1_OLEDragDrop(paths);
    window.centreOnScreen();
    window.show();
    return app.exec();
}

} // namespace plumark
