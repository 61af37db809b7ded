#include "filelist/AddFolder.h"
#include "Tree.h"
#include "base/ErrorReport.h"
#include "engine/Paths.h"
#include "filelist/FolderListing.h"
#include "support/FakeWindow.h"
#include "support/QStringPrinter.h"

#include <QDir>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;
using plumark::test::Tree;

namespace {

QStringList scan(const QString& folder, const QString& pattern, FakeWindow& window)
{
    FileList list;
    AddFolderTree(list, window, folder, pattern);
    return list.texts();
}

QStringList scan(const QString& folder, const QString& pattern)
{
    FakeWindow window;
    return scan(folder, pattern, window);
}

// A tree with files in three levels, names in mixed case, a hidden folder and
// names that are never taken.
class ScanTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree.files({"b.m4a", "a.m4a", "A.m4a", "README", "~lock.m4a", ".hidden.m4a", "Zeta/z.m4a",
                    "alpha/x.m4a", "alpha/deep/d.m4a", "alpha/deep/deeper/e.m4a", "beta/SONG.M4A",
                    "beta/notes.txt", "beta/~x.m4a", ".config/c.m4a", "Zeta/under/u.m4a"});
    }
    Tree tree;
};

TEST_F(ScanTree, TakesFilesFolderByFolderInListingOrder)
{
    const struct
    {
        QString pattern;
        QStringList rows;
    } cases[] = {
        {"*.m4a",
         {"A.m4a", "a.m4a", "b.m4a", ".config/c.m4a", "alpha/x.m4a", "beta/SONG.M4A", "Zeta/z.m4a",
          "alpha/deep/d.m4a", "Zeta/under/u.m4a", "alpha/deep/deeper/e.m4a"}},
        {"*.*",
         {"A.m4a", "a.m4a", "b.m4a", "README", ".config/c.m4a", "alpha/x.m4a", "beta/notes.txt",
          "beta/SONG.M4A", "Zeta/z.m4a", "alpha/deep/d.m4a", "Zeta/under/u.m4a",
          "alpha/deep/deeper/e.m4a"}},
        {"*.TXT", {"beta/notes.txt"}},
        {"*.wav", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scan(tree.root(), c.pattern), tree.paths(c.rows)) << c.pattern.toStdString();
}

TEST_F(ScanTree, RowsCarrySingleSeparatorsWhenTheFolderEndsInOne)
{
    EXPECT_EQ(scan(tree.root() + "/alpha/deep/", "*.*"),
              tree.paths({"alpha/deep/d.m4a", "alpha/deep/deeper/e.m4a"}));
}

TEST_F(ScanTree, FolderThatCannotBeListedIsDroppedAndTheRestScanned)
{
    // The yields come in a fixed order: the chosen folder and its four
    // sub-folders, ".config", "alpha" and its sub-folder, then "beta" just
    // before it is listed.
    FakeWindow window;
    window.onYield = [&] {
        if (window.yields == 9)
            QDir(tree.path("beta")).removeRecursively();
    };
    EXPECT_EQ(scan(tree.root(), "*.m4a", window),
              tree.paths({"A.m4a", "a.m4a", "b.m4a", ".config/c.m4a", "alpha/x.m4a", "Zeta/z.m4a",
                          "alpha/deep/d.m4a", "Zeta/under/u.m4a", "alpha/deep/deeper/e.m4a"}));
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(ScanTree, FailureIsReportedAndTheScanGoesOn)
{
    FakeWindow window;
    window.onYield = [&] {
        if (window.yields == 1)
            throw Failure("Out of memory");
    };
    EXPECT_EQ(scan(tree.root(), "*.m4a", window).size(), 10);
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages[0].text,
              errorReportText("Out of memory", identity::GetSubDirectories2016, 3));
    EXPECT_EQ(window.messages[0].title, "Application Error");
}

TEST(Scan, CollectsSubFoldersBreadthFirst)
{
    Tree tree;
    tree.files({"a/1/f", "a/2/f", "b/1/f", "c/f"});
    QStringList folders{tree.root() + "/"};
    FakeWindow window;
    GetSubDirectories2016(folders, true, window);
    const QString r = tree.root() + "/";
    EXPECT_EQ(folders,
              QStringList({r, r + "a/", r + "b/", r + "c/", r + "a/1/", r + "a/2/", r + "b/1/"}));
    // One yield per folder listed and per sub-folder found, level by level,
    // and one per collected folder as each level takes its descendants.
    EXPECT_EQ(window.yields, (1 + 3) + (3 + 3) + 3 + (3 + 6));
}

TEST(Scan, FollowsLinksButEntersEachFolderOnce)
{
    Tree outside;
    outside.file("e.m4a");
    Tree tree;
    tree.files({"g.m4a", "a/f.m4a"});
    tree.link("a/back", tree.root());
    tree.link("a/self", ".");
    tree.link("link_a", "a");
    tree.link("out", outside.root());
    tree.link("gone", tree.path("missing"));
    tree.link("same.m4a", "g.m4a");
    EXPECT_EQ(scan(tree.root(), "*.m4a"),
              tree.paths({"g.m4a", "same.m4a", "a/f.m4a", "out/e.m4a"}));
}

TEST(Scan, SkipsFifosDevicesAndOddFolderNames)
{
    // The longest legal name, and a correctly encoded U+FFFD, are ordinary.
    const QString longest = QString(NAME_MAX, QLatin1Char('n')) + QStringLiteral("/l.m4a");
    const QString replacement = QStringLiteral("r\uFFFD/r.m4a");
    Tree tree;
    tree.files({"ok.m4a", "tab\tname/t.m4a", "why?/w.m4a", "del\x7f/d.m4a", "Ωμέγα/o.m4a", longest,
                replacement});
    tree.fifo("pipe.m4a");
    tree.link("null.m4a", "/dev/null");
    // The kernel's own files pose as regular ones; some are read without end.
    tree.link("status.m4a", "/proc/self/status");
    const QByteArray badFolder = tree.root().toUtf8() + "/bad\xff";
    ASSERT_EQ(::mkdir(badFolder.constData(), 0700), 0);
    ::close(::open((badFolder + "/x.m4a").constData(), O_CREAT | O_WRONLY, 0600));
    const QByteArray badFile = tree.root().toUtf8() + "/bad\xfe.m4a";
    ::close(::open(badFile.constData(), O_CREAT | O_WRONLY, 0600));
    EXPECT_EQ(scan(tree.root(), "*.*"),
              tree.paths({"ok.m4a", longest, replacement, "Ωμέγα/o.m4a"}));
    EXPECT_TRUE(scan(tree.path("pipe.m4a"), "*.*").isEmpty());

    // The batch takes the names that are no valid text, each keeping its
    // bytes, and still leaves out the other odd folder names.
    FileList list;
    FakeWindow window;
    AddFolderTree(list, window, tree.root(), "*.*", UndecodableNames::Keep);
    QList<QByteArray> taken;
    for (const QString& path : list.texts())
        taken.append(nativePath(path));
    EXPECT_EQ(taken,
              QList<QByteArray>({badFile, tree.path("ok.m4a").toUtf8(), badFolder + "/x.m4a",
                                 tree.path(longest).toUtf8(), tree.path(replacement).toUtf8(),
                                 tree.path("Ωμέγα/o.m4a").toUtf8()}));
}

TEST(Scan, GetFilesInFolderTakesHiddenFilesButNoFolders)
{
    Tree tree;
    tree.files({"b.M4A", ".h.m4a", "~t.m4a", "sub.m4a/x", "c.txt"});
    EXPECT_EQ(GetFilesInFolder(tree.root(), "*.m4a"), QStringList({".h.m4a", "b.M4A", "~t.m4a"}));
    EXPECT_EQ(GetFilesInFolder(tree.root() + "/", "*.*"),
              QStringList({".h.m4a", "b.M4A", "c.txt", "~t.m4a"}));
    EXPECT_TRUE(GetFilesInFolder(tree.path("missing"), "*.*").isEmpty());
}

TEST(Scan, HiddenLinkToAFileIsTaken)
{
    Tree tree;
    tree.files({"real.m4a", ".plain.m4a"});
    tree.link(".linked.m4a", "real.m4a");
    EXPECT_EQ(scan(tree.root(), "*.m4a"), tree.paths({".linked.m4a", "real.m4a"}));
}

TEST(Scan, FileCanBeOpened)
{
    Tree tree;
    tree.file("f");
    tree.folder("d");
    tree.fifo("p");
    tree.link("l", "f");
    tree.link("dangling", "nothing");
    tree.link("kernel", "/proc/self/status");
    const struct
    {
        QString path;
        bool opens;
    } cases[] = {{tree.path("f"), true},
                 {tree.path("l"), true},
                 {tree.path("d"), false},
                 {tree.path("p"), false},
                 {tree.path("dangling"), false},
                 {tree.path("missing"), false},
                 {QStringLiteral("/dev/null"), false},
                 {tree.path("kernel"), false},
                 {QStringLiteral("/proc/self/status"), false},
                 {QStringLiteral("/sys/kernel/uevent_seqnum"), false},
                 {QString(), false}};
    for (const auto& c : cases)
        EXPECT_EQ(FileCanBeOpened(c.path), c.opens) << c.path.toStdString();
}

TEST(Scan, HasOddCharacters)
{
    const struct
    {
        QString name;
        bool odd;
    } cases[] = {
        {"", false},
        {"Music 2021", false},
        {"Ωμέγα", false},
        {"音楽", false},
        {"café ~ (1)", false},
        {QString(QChar(31)), true},
        {"a\tb", true},
        {QString(QChar(127)), true},
        {QString(QChar(159)), true},
        {QString(QChar(160)), false},
        {"why?", true},
        {QString(QChar::ReplacementCharacter), false}, // a character like any other
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasOddCharacters(c.name), c.odd) << c.name.toStdString();
}

TEST(Scan, WildcardsIgnoreLetterCase)
{
    const struct
    {
        QString name;
        QString pattern;
        bool matches;
    } cases[] = {
        {"SONG.M4A", "*.m4a", true}, {"song.m4a", "*.M4A", true},   {"README", "*.*", true},
        {".hidden", "*.*", true},    {"a.m4a.bak", "*.m4a", false}, {"m4a", "*.m4a", false},
        {"x1.txt", "x?.txt", true},  {"x12.txt", "x?.txt", false},  {"ÉTÉ.OGG", "*.ogg", true},
        {"été.ogg", "ÉTÉ.*", true},  {"anything", "*", true},       {"a.b.c", "*.c", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches)
            << c.name.toStdString() << " " << c.pattern.toStdString();
}

} // namespace
