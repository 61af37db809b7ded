#include "shell/MainForm.h"
#include "support/FakeWindow.h"

#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

class FileDialog : public ::testing::Test
{
protected:
    QString nul(std::initializer_list<QString> parts) const
    {
        return QStringList(parts).join(QChar(0));
    }

    FakeWindow window;
    FileList list;
    MainForm form{window, list};
};

} // namespace

TEST_F(FileDialog, AsksForM4aFilesWithItsTitleAndFilter)
{
    form.PushButton1_Click();
    ASSERT_EQ(window.dialogSetups.size(), 1);
    const FileDialogSetup& setup = window.dialogSetups.first();
    EXPECT_EQ(setup.title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
    EXPECT_EQ(setup.filterDescription, QStringLiteral("M4A File (*.m4a)"));
    EXPECT_EQ(setup.filterPattern, QStringLiteral("*.m4a"));
    EXPECT_TRUE(setup.multiSelect);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(FileDialog, AddsTheResultInItsForm)
{
    struct Case
    {
        QString result;
        QStringList rows;
    };
    const Case cases[] = {
        {QStringLiteral("/music//odd name.m4a"), {QStringLiteral("/music//odd name.m4a")}},
        {nul({QStringLiteral("/"), QStringLiteral("b.m4a"), QStringLiteral("a.M4A"),
              QStringLiteral("c.txt")}),
         {QStringLiteral("/b.m4a"), QStringLiteral("/a.M4A"), QStringLiteral("/c.txt")}},
        {nul({QStringLiteral("/home/ann/Music"), QStringLiteral("x.m4a"), QStringLiteral("x.m4a")}),
         {QStringLiteral("/home/ann/Music/x.m4a"), QStringLiteral("/home/ann/Music/x.m4a")}},
    };
    for (const Case& c : cases) {
        list.clear();
        window.dialogResult = c.result;
        form.PushButton1_Click();
        EXPECT_EQ(list.texts(), c.rows);
    }
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(FileDialog, ASelectionTooLargeAddsNothingAndSaysSo)
{
    list.append(QStringLiteral("/kept.m4a"));
    window.dialogTooSmall = true;
    form.PushButton1_Click();
    EXPECT_EQ(list.texts(), QStringList{QStringLiteral("/kept.m4a")});
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages.first().text,
              QStringLiteral("You've selected too many files to add.\r\rPlease try adding via "
                             "the \"Add All\" button."));
    EXPECT_EQ(window.messages.first().title, QStringLiteral("Plumark"));
    EXPECT_EQ(window.messages.first().icon, MessageIcon::None);
}
