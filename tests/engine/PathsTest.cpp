#include "engine/Paths.h"
#include "engine/Tools.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
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

// Names are bytes: each one comes back from its text unchanged, and the bytes
// of no valid UTF-8 are shown escaped.
TEST(NativeNames, EveryByteComesBack)
{
    const struct
    {
        QByteArray bytes;
        const char* shown;
    } cases[] = {
        {"/music/song.m4a", "/music/song.m4a"},
        {"/caf\xc3\xa9/\xf0\x9f\x8e\xb5.m4a", "/caf\xc3\xa9/\xf0\x9f\x8e\xb5.m4a"},
        {"/caf\xe9.m4a", "/caf\\xE9.m4a"},
        {"\xff\xfe", "\\xFF\\xFE"},
        {"cut \xc3", "cut \\xC3"},                         // a sequence cut short
        {"\xc0\xaf", "\\xC0\\xAF"},                        // an overlong "/"
        {"\xed\xb2\x80", "\\xED\\xB2\\x80"},               // an encoded surrogate
        {"\xf0\x90\x82\x80\x80", "\xf0\x90\x82\x80\\x80"}, // a pair, then a stray byte
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},      // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        const QString text = pathFromNative(c.bytes);
        EXPECT_EQ(nativePath(text), c.bytes) << c.shown;
        EXPECT_EQ(printablePath(text), QString::fromUtf8(c.shown)) << c.shown;
    }
    // On one line of a report, control characters are shown by their bytes
    // too; everything else is as printablePath shows it.
    const struct
    {
        QByteArray bytes;
        const char* shown;
    } lines[] = {
        {"a\nConverted: 9 of 9.m4a", "a\\x0AConverted: 9 of 9.m4a"},
        {"tab\there\r\x7f", "tab\\x09here\\x0D\\x7F"},
        {"next \xc2\x85line caf\xe9 \xc3\xa9", "next \\xC2\\x85line caf\\xE9 \xc3\xa9"},
        // Escape sequences, a right-to-left override that would show the
        // name's end reversed, and the line and paragraph separators.
        {"red \x1b[31m.m4a", "red \\x1B[31m.m4a"},
        {"evil\xe2\x80\xae"
         "avm.m4a",
         "evil\\xE2\\x80\\xAEavm.m4a"},
        {"a\xe2\x80\xa8"
         "b\xe2\x80\xa9"
         "c\xe2\x81\xa6.m4a",
         "a\\xE2\\x80\\xA8b\\xE2\\x80\\xA9c\\xE2\\x81\\xA6.m4a"},
    };
    for (const auto& c : lines)
        EXPECT_EQ(printableName(pathFromNative(c.bytes)), QString::fromUtf8(c.shown)) << c.shown;

    QTemporaryDir dir;
    const QString odd = pathFromNative(QFile::encodeName(dir.path()) + "/caf\xe9.m4a");
    ::close(::open(nativePath(odd).constData(), O_CREAT | O_WRONLY, 0600));
    // The lossy reading of the same name names no file.
    EXPECT_FALSE(FileExists(QFile::decodeName(QFile::encodeName(dir.path()) + "/caf\xe9.m4a")));
    EXPECT_TRUE(FileExists(odd));
}
