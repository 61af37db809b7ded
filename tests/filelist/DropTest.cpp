#include "shell/MainForm.h"
#include "support/FakeWindow.h"
#include "support/Media.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

TEST(Drop, RefusesDataWithoutFiles)
{
    FakeWindow window;
    FileList list;
    MainForm form(window, list);
    EXPECT_FALSE(form.ListView1_OLEDragOver(false));
    EXPECT_TRUE(form.ListView1_OLEDragOver(true));
}

TEST(Drop, ScansFoldersForEveryFileAndListsOtherPathsAsDropped)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("tree"));
    test::writeFile(folder + QStringLiteral("/notes.txt"), "text");
    test::writeFile(folder + QStringLiteral("/~lock.m4a"), "lock");
    test::writeFile(folder + QStringLiteral("/sub/song.m4a"), "audio");
    const QString lone = root.filePath(QStringLiteral("~lone.txt"));
    test::writeFile(lone, "text");
    const QString gone = root.filePath(QStringLiteral("gone.m4a"));

    FakeWindow window;
    FileList list;
    MainForm form(window, list);
    window.pointer = PointerBusy;
    form.ListView1_OLEDragDrop({lone, folder, gone});

    EXPECT_EQ(list.texts(), (QStringList{lone, folder + QStringLiteral("/notes.txt"),
                                         folder + QStringLiteral("/sub/song.m4a"), gone}));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_EQ(window.pointer, PointerBusy);
}
