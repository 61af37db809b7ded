#pragma once

#include <QApplication>
#include <memory>

namespace plumark {

// The exit status of a program that could not open its window.
constexpr int NoWindowStatus = 1;

// Whether the environment names a display (or a platform plugin) for the
// window. Without one, Qt would end the program with an abort.
bool displayNamed();

// The line printed when the window cannot be opened, for the given reason.
QString noWindowMessage(const QString& reason);

// Makes the application object. Should the platform plugin still fail to
// start (a display named but not reachable), the program prints
// noWindowMessage and exits with NoWindowStatus instead of Qt's abort. argc
// must outlive the application.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv);

} // namespace plumark
