#include "shell/widgets/PlatformStart.h"

#include <QList>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace plumark {

namespace {

struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

QList<HeldMessage> heldMessages;

// While the platform plugin starts, its warnings are held back: when it
// fails, the first of them (such as "could not connect to display :1") is
// the reason given, and Qt's fatal message, which would abort, ends the
// program instead.
void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        heldMessages.append({type, context.category, text});
        return;
    }
    const QString reason =
        heldMessages.isEmpty() ? text.section(QLatin1Char('\n'), 0, 0) : heldMessages.first().text;
    std::fputs(noWindowMessage(reason.trimmed()).toLocal8Bit().constData(), stderr);
    std::fflush(nullptr);
    std::_Exit(NoWindowStatus);
}

} // namespace

bool displayNamed()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

QString noWindowMessage(const QString& reason)
{
    return QStringLiteral("plumark: cannot open the window: %1. \"plumark convert\" needs no "
                          "display.\n")
        .arg(reason);
}

std::unique_ptr<QApplication> startApplication(int& argc, char** argv)
{
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& message : std::exchange(heldMessages, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    return application;
}

} // namespace plumark
