#include "shell/StartUp.h"
#include "base/ErrorReport.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

class StartUp : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(settingsFilePath());
        form.setProgramFolder(programFolder.path());
        form.randomSource = [] { return 0.0; };
    }

    QString programPath(const QString& name) const { return programFolder.filePath(name); }

    QTemporaryDir programFolder;
    FakeWindow window;
    FileList list;
    MainForm form{window, list};
};

} // namespace

TEST(AppTitle, CutsBeforeTheLastBlankUntilFortyCharactersAtMost)
{
    struct Case
    {
        QString name;
        QString title;
    };
    const QString fifty = QString(19, QLatin1Char('a')) + QLatin1Char(' ') +
                          QString(24, QLatin1Char('b')) + QLatin1Char(' ') +
                          QString(5, QLatin1Char('c'));
    ASSERT_EQ(fifty.size(), 50);
    const Case cases[] = {
        {QStringLiteral("Plum Ark Converter"), QStringLiteral("Plum Ark")},
        {fifty, QString(19, QLatin1Char('a'))},
        {QStringLiteral("Plumark"), QStringLiteral("Plumark")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(appTitleFrom(c.name), c.title) << c.name.toStdString();
}

TEST(WebSite, OpensOnlyOnTheSeventhOfAHundredDraws)
{
    struct Case
    {
        double draw;
        bool opens;
    };
    const Case cases[] = {{0.0, false},   {0.059, false}, {0.06, true},
                          {0.0699, true}, {0.07, false},  {0.999, false}};
    for (const Case& c : cases) {
        FakeWindow window;
        FileList list;
        MainForm form(window, list);
        form.randomSource = [&] { return c.draw; };
        OpenWebSiteSometimes(form);
        EXPECT_EQ(window.opened.size(), c.opens ? 1 : 0) << c.draw;
        if (c.opens) {
            EXPECT_EQ(window.opened.first(), QString::fromLatin1(MakerWebSite));
        }
    }
}

TEST(DesktopFolder, IsTheDesktopWhenItExistsElseHomeAndFailsWhenNeitherIsKnown)
{
    QTemporaryDir home;
    const QString desktop = home.filePath(QStringLiteral("Desktop"));
    ASSERT_TRUE(QDir().mkpath(desktop));
    const QString missing = home.filePath(QStringLiteral("Schreibtisch"));
    struct Case
    {
        QString desktop, home, folder;
    };
    const QList<Case> cases = {
        {desktop, home.path(), desktop + QLatin1Char('/')},
        {missing, home.path(), home.path() + QLatin1Char('/')},
        {QString(), home.path(), home.path() + QLatin1Char('/')},
        {missing, QStringLiteral("/"), QStringLiteral("/")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputFolderFor(c.desktop, c.home), c.folder) << c.desktop.toStdString();
    EXPECT_THROW(outputFolderFor(QString(), QString()), Failure);
    EXPECT_THROW(outputFolderFor(missing, QString()), Failure);
}

// The desktop folder is the one the user's XDG settings name, read afresh.
TEST(DesktopFolder, FollowsTheUsersXdgSettings)
{
    QTemporaryDir home;
    test::ScopedEnvironment env;
    env.set("HOME", home.path().toUtf8());
    const QString userDirs =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/user-dirs.dirs");
    QFile::remove(userDirs);

    EXPECT_EQ(DefaultOutputFolder(), home.path() + QLatin1Char('/'));
    QDir().mkpath(home.filePath(QStringLiteral("Desktop")));
    EXPECT_EQ(DefaultOutputFolder(), home.filePath(QStringLiteral("Desktop/")));

    test::writeFile(userDirs, "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(DefaultOutputFolder(), home.path() + QLatin1Char('/'));
    QDir().mkpath(home.filePath(QStringLiteral("Schreibtisch")));
    EXPECT_EQ(DefaultOutputFolder(), home.filePath(QStringLiteral("Schreibtisch/")));
    QFile::remove(userDirs);
}

TEST_F(StartUp, FillsTheListColumnAndTheRatesInOrder)
{
    form.Form_Load();
    EXPECT_EQ(window.caption, QStringLiteral("Plumark"));
    EXPECT_TRUE(window.iconSet);
    EXPECT_EQ(window.appTitle, QStringLiteral("Plumark"));
    EXPECT_EQ(window.columns, QStringList{QStringLiteral("M4A File(s)")});
    EXPECT_EQ(window.columnWidth, 7000);
    ASSERT_EQ(window.rateEntries.size(), 18);
    EXPECT_EQ(window.rateEntries.first(), QStringLiteral("320 kbps"));
    EXPECT_EQ(window.rateEntries[6], QStringLiteral("128 kbps"));
    EXPECT_EQ(window.rateEntries.last(), QStringLiteral("8 kbps"));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(window.opened.isEmpty());
}

TEST_F(StartUp, LoadsTheSkinAndHandPointerOnlyWhenTheirFilesArePresent)
{
    form.Form_Load();
    EXPECT_TRUE(window.skinFile.isEmpty());
    EXPECT_TRUE(window.handPointerFile.isEmpty());

    // A folder in the skin's place is no skin.
    QDir(programFolder.path()).mkpath(QStringLiteral("x/o.cjs"));
    FakeWindow second;
    MainForm again(second, list);
    again.setProgramFolder(programFolder.path());
    again.randomSource = [] { return 0.0; };
    again.Form_Load();
    EXPECT_TRUE(second.skinFile.isEmpty());

    QDir(programFolder.path()).rmdir(QStringLiteral("x/o.cjs"));
    test::writeFile(programPath(QStringLiteral("x/o.cjs")), "QWidget {}");
    test::writeFile(programPath(QStringLiteral("HAND-M.CUR")), "cursor");
    FakeWindow third;
    MainForm skinned(third, list);
    skinned.setProgramFolder(programFolder.path());
    skinned.randomSource = [] { return 0.0; };
    skinned.Form_Load();
    EXPECT_EQ(third.skinFile, programPath(QStringLiteral("x/o.cjs")));
    EXPECT_EQ(third.handPointerFile, programPath(QStringLiteral("HAND-M.CUR")));
}

TEST_F(StartUp, ReportsUnreadableSettingsAtTheirLinesAndGoesOn)
{
    WriteSetting(QStringLiteral("kbps"), QStringLiteral("129 kbps"));
    WriteSetting(QStringLiteral("Option3"), QStringLiteral("maybe"));
    window.rate.clear();
    form.Form_Load();

    ASSERT_EQ(window.messages.size(), 2);
    EXPECT_TRUE(window.messages[0].text.contains(
        QStringLiteral("\r\nin Plumark2021/08/31.Form1.Form_Load at line 93\r\r")));
    EXPECT_TRUE(window.messages[1].text.contains(QStringLiteral("Form_Load at line 105\r\r")));
    EXPECT_EQ(window.messages[1].title, QStringLiteral("Application Error"));
    // The rate box keeps its state and "kbps" keeps its text; Option3 keeps its value.
    EXPECT_TRUE(window.rate.isEmpty());
    EXPECT_EQ(ReadSetting(QStringLiteral("kbps"), QString()), QStringLiteral("129 kbps"));
    EXPECT_TRUE(window.options[3]);
    EXPECT_TRUE(window.frame3On);
}

TEST_F(StartUp, RestoresTheStoredOptionsThroughTheirHandlers)
{
    WriteSetting(QStringLiteral("Option"), QStringLiteral("2"));
    WriteSetting(QStringLiteral("kbps"), QStringLiteral("192 kbps"));
    WriteSetting(QStringLiteral("Output Folder"), QStringLiteral("/srv/out/"));
    form.Form_Load();
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(window.options[2]);
    EXPECT_FALSE(window.options[1]);
    EXPECT_TRUE(window.rateOn);
    EXPECT_EQ(window.rate, QStringLiteral("192 kbps"));
    EXPECT_EQ(window.folder, QStringLiteral("/srv/out/"));
    EXPECT_EQ(ReadSetting(QStringLiteral("Option3"), QString()), QStringLiteral("True"));
    EXPECT_EQ(ReadSetting(QStringLiteral("Option4"), QString()), QStringLiteral("False"));
}

TEST_F(StartUp, ClosingEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            form.Form_Unload();
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");
}
