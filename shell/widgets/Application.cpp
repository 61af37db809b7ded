#include "shell/widgets/Application.h"

#include "shell/widgets/Form1.h"

#include <QApplication>

namespace plumark {

int runWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    Form1 window;
    window.form().Form_Load();
    window.centreOnScreen();
    window.show();
    return app.exec();
}

} // namespace plumark
