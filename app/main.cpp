#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Plumark is being built."));
    label.setWindowTitle(QStringLiteral("Plumark"));
    label.show();
    return app.exec();
}
