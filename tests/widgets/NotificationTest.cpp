#include "TestForm.h"
#include "support/ScopedEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// A session bus of the test's own, with no service but those the test adds.
class PrivateBus
{
public:
    PrivateBus()
    {
        const QString config = folder.filePath(QStringLiteral("bus.conf"));
        writeFile(config,
                  QStringLiteral("<busconfig><type>session</type>"
                                 "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                                 "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                 "<allow own=\"*\"/><allow receive_sender=\"*\"/></policy>"
                                 "</busconfig>")
                      .arg(folder.path())
                      .toUtf8());
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (daemon.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished();
    }

    QTemporaryDir folder;
    QProcess daemon;
    QString address;
};

// The desktop's notification service: records each call of Notify.
class FakeNotifications : public QDBusVirtualObject
{
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.Notifications") ||
            message.member() != QLatin1String("Notify"))
            return false;
        calls.append(message.arguments());
        connection.send(message.createReply(QVariant::fromValue(uint(calls.size()))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    QList<QVariantList> calls;
};

void processEventsFor(int ms, const std::function<bool()>& until = {})
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms && !(until && until()))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

QStringList warningsWhile(const std::function<void()>& act)
{
    static QStringList* caught = nullptr;
    QStringList warnings;
    caught = &warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                caught->append(text);
        });
    act();
    qInstallMessageHandler(previous);
    caught = nullptr;
    return warnings;
}

class Notification : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        valid = work.filePath(QStringLiteral("in/song.m4a"));
        makeM4a(valid, 0.3);
        form.form().Form_Load();
        control<QRadioButton>("Option2")->click();
        form.setFolderText(work.path());
        form.show();
    }

    // Converts the valid file and, when asked, a missing one, with the
    // window active or another window active.
    void run(bool withMissing, bool active)
    {
        form.list().clear();
        form.list().append(valid);
        if (withMissing)
            form.list().append(work.filePath(QStringLiteral("in/missing.m4a")));
        (active ? static_cast<QWidget*>(&form) : &elsewhere)->activateWindow();
        processEventsFor(2000, [&] { return form.isActiveWindow() == active; });
        ASSERT_EQ(form.isActiveWindow(), active);
        form.messages.clear();
        control<QPushButton>("PushButton2")->click();
        EXPECT_EQ(form.isActiveWindow(), active);
        EXPECT_EQ(form.messages.value(0).left(5), QStringLiteral("Done."));
    }

    QTemporaryDir work;
    QString valid;
    QWidget elsewhere;
};

} // namespace

// A run that ends while the user is in another window is announced once, with
// its counts; one that ends in the active window is not. Without the service
// the run ends as ever and nothing is reported.
TEST_F(Notification, ARunEndingInTheBackgroundIsAnnounced)
{
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty()) << bus.daemon.readAllStandardError().toStdString();
    ScopedEnvironment environment;
    environment.set("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
    QDBusConnection service =
        QDBusConnection::connectToBus(bus.address, QStringLiteral("notification service"));
    FakeNotifications notifications;
    ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"),
                                              &notifications));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
    elsewhere.show();

    run(false, true);
    run(true, false);
    processEventsFor(5000, [&] { return !notifications.calls.isEmpty(); });
    processEventsFor(200);
    ASSERT_EQ(notifications.calls.size(), 1);
    const QVariantList call = notifications.calls.first();
    ASSERT_EQ(call.size(), 8);
    EXPECT_EQ(call[0].toString(), QStringLiteral("Plumark")); // the application's name
    EXPECT_EQ(call[3].toString(), QStringLiteral("Done."));
    EXPECT_EQ(call[4].toString(), QStringLiteral("Converted: 1\nNot converted: 1"));

    ASSERT_TRUE(service.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
    EXPECT_EQ(warningsWhile([&] {
                  run(false, false);
                  processEventsFor(200);
              }),
              QStringList());
    EXPECT_EQ(notifications.calls.size(), 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("notification service"));
}

// With no session bus at all, a run in the background ends as ever and
// nothing is reported.
TEST_F(Notification, WithoutABusNothingIsReported)
{
    ScopedEnvironment environment;
    environment.set("DBUS_SESSION_BUS_ADDRESS",
                    ("unix:path=" + work.filePath(QStringLiteral("no-bus"))).toUtf8());
    elsewhere.show();
    EXPECT_EQ(warningsWhile([&] { run(true, false); }), QStringList());
    EXPECT_EQ(QDir(work.path()).entryList({QStringLiteral("*.ac3")}, QDir::Files),
              QStringList{QStringLiteral("song.ac3")});
}
