#include "engine/Paths.h"
#include "engine/Tools.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace plumark;

TEST(PathParts, SplitNamesAndFolders)
{
    struct Case
    {
        QString path;
        PathStyle style;
        QString name;
        QString parent;
    };
    const QList<Case> cases = {
        {QStringLiteral("/music/song.m4a"), PathStyle::Native, QStringLiteral("song.m4a"),
         QStringLiteral("/music/")},
        {QStringLiteral("song.m4a"), PathStyle::Native, QStringLiteral("song.m4a"), QString()},
        {QStringLiteral("/"), PathStyle::Native, QString(), QStringLiteral("/")},
        {QStringLiteral("/music/"), PathStyle::Native, QString(), QStringLiteral("/music/")},
        {QString(), PathStyle::Native, QString(), QString()},
        {QStringLiteral("C:\\Music\\song.m4a"), PathStyle::Windows, QStringLiteral("song.m4a"),
         QStringLiteral("C:\\Music\\")},
        {QStringLiteral("/music/a\\b.m4a"), PathStyle::Native, QStringLiteral("a\\b.m4a"),
         QStringLiteral("/music/")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOf(c.path, c.style), c.name) << c.path.toStdString();
        EXPECT_EQ(ParentFolder(c.path, c.style), c.parent) << c.path.toStdString();
    }
}

TEST(StripExtension, RemovesTheLastExtensionOnly)
{
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("song.m4a"), QStringLiteral("song")},
        {QStringLiteral(".m4a"), QStringLiteral(".m4a")},
        {QStringLiteral("a.b.c"), QStringLiteral("a.b")},
        {QStringLiteral("song"), QStringLiteral("song")},
        {QStringLiteral("song."), QStringLiteral("song")},
        {QString(), QString()},
    };
    for (const auto& [name, stripped] : cases)
        EXPECT_EQ(StripExtension(name), stripped) << name.toStdString();
}

TEST(CollapseBackslashes, TidiesJoinedPathsInBothStyles)
{
    struct Case
    {
        QString path;
        PathStyle style;
        QString tidied;
    };
    const QList<Case> cases = {
        {QStringLiteral("C:\\\\Music\\\\song.m4a"), PathStyle::Windows,
         QStringLiteral("C:\\Music\\song.m4a")},
        {QStringLiteral("\\\\\\server\\share\\a.m4a"), PathStyle::Windows,
         QStringLiteral("\\\\server\\share\\a.m4a")},
        {QStringLiteral("\\music\\a.m4a"), PathStyle::Windows, QStringLiteral("\\\\music\\a.m4a")},
        {QStringLiteral("C:\\Music\\\\\\a.m4a"), PathStyle::Windows,
         QStringLiteral("C:\\Music\\\\a.m4a")},
        {QStringLiteral("C:\\a\\\\\\\\b"), PathStyle::Windows, QStringLiteral("C:\\a\\\\b")},
        {QStringLiteral("\\\\\\\\"), PathStyle::Windows, QStringLiteral("\\\\")},
        {QStringLiteral("C:/a//b"), PathStyle::Windows, QStringLiteral("C:/a//b")},
        {QString(), PathStyle::Windows, QString()},
        {QStringLiteral("/music//song.m4a"), PathStyle::Native, QStringLiteral("/music/song.m4a")},
        {QStringLiteral("//music/song.m4a"), PathStyle::Native, QStringLiteral("/music/song.m4a")},
        {QStringLiteral("/music/a.m4a"), PathStyle::Native, QStringLiteral("/music/a.m4a")},
        {QStringLiteral("/a///b"), PathStyle::Native, QStringLiteral("/a//b")},
        {QStringLiteral("/a\\\\b"), PathStyle::Native, QStringLiteral("/a\\\\b")},
        {QString(), PathStyle::Native, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CollapseBackslashes(c.path, c.style), c.tidied) << c.path.toStdString();
}

TEST(FileTests, TellFilesFromFoldersAndMissingPaths)
{
    const QString temp = TemporaryFolder();
    const QString file = temp + QStringLiteral("/exists.m4a");
    const QString folder = temp + QStringLiteral("/folder");
    const QString fileLink = temp + QStringLiteral("/file-link");
    const QString dangling = temp + QStringLiteral("/dangling-link");
    test::writeFile(file, "x");
    QDir().mkpath(folder);
    ASSERT_EQ(
        ::symlink(QFile::encodeName(file).constData(), QFile::encodeName(fileLink).constData()), 0);
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(dangling).constData()), 0);

    struct Case
    {
        QString path;
        bool isFile;
        bool isFolder;
    };
    const QList<Case> cases = {
        {file, true, false},
        {folder, true, true},
        {fileLink, true, false},
        {dangling, false, false},
        {temp + QStringLiteral("/missing"), false, false},
        {QString(), false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.path), c.isFile) << c.path.toStdString();
        EXPECT_EQ(FolderExists(c.path), c.isFolder) << c.path.toStdString();
    }
}

TEST(DeleteFileQuietly, RemovesReadOnlyFilesAndIgnoresMissingOnes)
{
    const QString readOnly = TemporaryFolder() + QStringLiteral("/read-only.ac3");
    test::writeFile(readOnly, "old output");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner));
    int yields = 0;
    DeleteFileQuietly(readOnly, [&] { ++yields; });
    EXPECT_FALSE(FileExists(readOnly));

    const QString missing = TemporaryFolder() + QStringLiteral("/never-there.ac3");
    EXPECT_NO_THROW(DeleteFileQuietly(missing, [&] { ++yields; }));
    EXPECT_NO_THROW(DeleteFileQuietly(QString()));
    EXPECT_EQ(yields, 2);
}
