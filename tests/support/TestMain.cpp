// Test entry point: a private settings file and temporary folder per test
// process, and an application object so widgets and event processing work.
#include "shell/Settings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test starts with an empty settings store, whatever ran before it in
// the same process.
class EmptyStoreEachTest : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override
    {
        QFile::remove(plumark::settingsFilePath());
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("TEMP", home.path().toUtf8());
    // No test reaches the desktop's session bus; a test may start its own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + home.path() + "/no-bus").toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new EmptyStoreEachTest);
    return RUN_ALL_TESTS();
}
