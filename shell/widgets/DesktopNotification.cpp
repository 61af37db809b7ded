#include "shell/widgets/DesktopNotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace plumark {

namespace {

// The desktop's default time for a notification to stay.
constexpr int DefaultExpiry = -1;

} // namespace

void notifyRunEnded(const QString& appName, int converted, int notConverted)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString body =
        QCoreApplication::translate("Conversion", "Converted: %1\nNot converted: %2")
            .arg(converted)
            .arg(notConverted);
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("com.kestrova.Plumark")}};
    notify << appName << 0U << QStringLiteral("plumark")
           << QCoreApplication::translate("Conversion", "Done.") << body << QStringList() << hints
           << DefaultExpiry;
    // No answer is awaited: a missing service costs nothing and shows nothing.
    bus.send(notify);
}

} // namespace plumark
