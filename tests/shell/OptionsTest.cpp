#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "support/FakeWindow.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

class Options : public ::testing::Test
{
protected:
    FakeWindow window;
    FileList list;
    MainForm form{window, list};
};

TEST_F(Options, RateOptionsStoreTheModeAndEnableTheRateBox)
{
    window.setOption(1, true);
    form.Option1_Click();
    EXPECT_EQ(ReadSetting("Option", ""), "1");
    EXPECT_FALSE(window.rateEnabled());

    window.setOption(2, true);
    form.Option2_Click();
    EXPECT_EQ(ReadSetting("Option", ""), "2");
    EXPECT_TRUE(window.rateEnabled());
}

TEST_F(Options, OutputOptionsStoreBothAndEnableTheFolderFrame)
{
    window.setOption(4, true);
    form.Option4_Click();
    EXPECT_EQ(ReadSetting("Option3", ""), "False");
    EXPECT_EQ(ReadSetting("Option4", ""), "True");
    EXPECT_FALSE(window.folderFrameEnabled());

    window.setOption(3, true);
    form.Option3_Click();
    EXPECT_EQ(ReadSetting("Option3", ""), "True");
    EXPECT_EQ(ReadSetting("Option4", ""), "False");
    EXPECT_TRUE(window.folderFrameEnabled());
}

TEST_F(Options, RateAndFolderTextsAreStoredAsTheyChange)
{
    window.addRateEntry("192 kbps");
    window.setRateText("192 kbps");
    form.Combo1_Click();
    EXPECT_EQ(ReadSetting("kbps", ""), "192 kbps");

    for (const QString text : {"/h", "/ho", "/home/"}) {
        window.setFolderText(text);
        form.Text1_Change();
        EXPECT_EQ(ReadSetting("Output Folder", ""), text);
    }
}

TEST_F(Options, ChosenFolderGoesIntoTheTextWithOneTrailingSeparator)
{
    const struct
    {
        QString chosen;
        QString text;
    } cases[] = {{"/home/user/Music", "/home/user/Music/"}, {"/", "/"}, {"/srv/x/", "/srv/x/"}};
    QString last;
    for (const auto& c : cases) {
        window.folders = {c.chosen};
        form.PushButton7_Click();
        EXPECT_EQ(window.browseInitial.last(), last);
        EXPECT_EQ(window.folderText(), c.text);
        EXPECT_EQ(ReadSetting("Output Folder", ""), c.text);
        EXPECT_EQ(ReadSetting("LastFolderDot", ""), c.chosen);
        last = c.chosen;
    }
    EXPECT_EQ(window.browseTitles, QStringList(3, "Please select folder:"));
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(Options, CancellingTheFolderBrowserChangesNothing)
{
    window.folders = {"/music"};
    form.PushButton7_Click();
    window.setFolderText("/typed/by/hand");
    form.Text1_Change();

    form.PushButton7_Click();
    EXPECT_EQ(window.browseInitial.last(), "/music");
    EXPECT_EQ(window.folderText(), "/typed/by/hand");
    EXPECT_EQ(ReadSetting("Output Folder", ""), "/typed/by/hand");
    EXPECT_EQ(ReadSetting("LastFolderDot", ""), "/music");
}

} // namespace
