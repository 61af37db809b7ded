#include "Tree.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "support/FakeWindow.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;
using plumark::test::Tree;

namespace {

const QString Prompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all "
    "doc files, etc.)");

class FolderButton : public ::testing::Test
{
protected:
    void SetUp() override { tree.files({"one.m4a", "Two.M4A", "notes.txt", "sub/three.m4a"}); }

    QStringList press(const QString& extension, const QString& folder)
    {
        FileList list;
        MainForm form(window, list);
        window.inputs = {extension};
        window.folders = {folder};
        form.PushButton3_Click();
        return list.texts();
    }

    Tree tree;
    FakeWindow window;
};

TEST_F(FolderButton, AsksForTheExtensionAndScansTheChosenFolder)
{
    EXPECT_EQ(press("m4a", tree.root()), tree.paths({"one.m4a", "Two.M4A", "sub/three.m4a"}));
    EXPECT_EQ(window.prompts, QStringList({Prompt}));
    EXPECT_EQ(window.inputDefaults, QStringList({"m4a"}));
    EXPECT_EQ(window.browseTitles, QStringList({"Please select folder:"}));
    EXPECT_EQ(window.browseInitial, QStringList({""}));
    EXPECT_EQ(window.pointers, QList<int>({PointerBusy, PointerDefault}));
    EXPECT_EQ(ReadSetting("Extension", ""), "m4a");
    EXPECT_EQ(ReadSetting("LastFolder", ""), tree.root());
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(FolderButton, StarTakesEveryFileAndIsRemembered)
{
    EXPECT_EQ(press("*", tree.root()),
              tree.paths({"notes.txt", "one.m4a", "Two.M4A", "sub/three.m4a"}));
    // A later press, as after a restart, offers both answers of last time.
    press("txt", tree.root());
    EXPECT_EQ(window.inputDefaults.last(), "*");
    EXPECT_EQ(window.browseInitial.last(), tree.root());
}

TEST_F(FolderButton, CancellingStopsQuietly)
{
    EXPECT_TRUE(press("", tree.root()).isEmpty());
    EXPECT_TRUE(window.browseTitles.isEmpty());
    EXPECT_EQ(ReadSetting("Extension", "unset"), "unset");

    EXPECT_TRUE(press("wav", "").isEmpty());
    EXPECT_EQ(ReadSetting("Extension", ""), "wav");
    EXPECT_EQ(ReadSetting("LastFolder", "unset"), "unset");
    EXPECT_TRUE(window.pointers.isEmpty());
}

} // namespace
