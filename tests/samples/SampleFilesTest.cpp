#include "samples/SampleFiles.h"
#include "shell/MainForm.h"
#include "shell/Settings.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

const QString Key = QString::fromLatin1(SampleKey);
const QString Question = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

QString everyByte()
{
    QByteArray bytes;
    for (int b = 1; b <= 255; ++b)
        bytes.append(static_cast<char>(b));
    return QString::fromLatin1(bytes);
}

TEST(Scrambling, TextsSurviveARoundTrip)
{
    const QString texts[] = {"", "a", everyByte(),
                             "/home/ユーザー/Музыка/Ωμέγα song.m4a|/tmp/b.m4a",
                             QString::fromUtf8("\xf0\x9f\x8e\xb5 notes"),
                             // A byte order mark is text like any other.
                             QStringLiteral("\uFEFF\uFEFFa"), "|||"};
    for (const QString& text : texts) {
        const QString scrambled = ScrambleText(text, Key);
        EXPECT_EQ(UnscrambleText(scrambled, Key), text);
        WriteSetting("SampleList", scrambled);
        EXPECT_EQ(ReadSetting("SampleList", ""), scrambled);
        for (const QChar c : scrambled)
            EXPECT_TRUE(c.unicode() >= 1 && c.unicode() <= 255);
    }
    EXPECT_EQ(ScrambleText("", Key), "");
    EXPECT_EQ(UnscrambleText("", Key), "");
}

TEST(Scrambling, AddsTheKeyByteByByteAndWrapsAfterTheKey)
{
    const struct
    {
        QString text;
        QByteArray scrambled;
    } cases[] = {
        // "l" is 108, "a" 97: 97 + 108 = 205.
        {"a", "\xcd"},
        // The ninth character uses the key's first character again.
        {"AAAAAAAAA", QByteArray("\xad\xa2\xb3\xac\xb4\xb1\xb6\xb3\xad")},
        // "ÿ" is the bytes 0xc3 0xbf; sums above 255 lose 255:
        // 195 + 108 - 255 = 48 and 191 + 97 - 255 = 33.
        {"ÿ", "0!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScrambleText(c.text, Key).toLatin1().toHex(), c.scrambled.toHex());
}

TEST(Scrambling, YieldsOncePerByte)
{
    int yields = 0;
    const QString scrambled = ScrambleText("añb", Key, [&] { ++yields; });
    EXPECT_EQ(yields, 4);
    UnscrambleText(scrambled, Key, [&] { ++yields; });
    EXPECT_EQ(yields, 8);
}

class Samples : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"b song.m4a", "A tune.m4a", "c.m4a"})
            plumark::test::writeFile(program.path() + "/Samples/" + name, name);
        QDir().mkpath(program.path() + "/Samples/folder");
    }
    QString sample(const QString& name) const { return program.path() + "/Samples/" + name; }

    // A fresh window on the same settings, as after a restart.
    QStringList press(QStringList rows = {})
    {
        FileList list;
        for (const QString& row : rows)
            list.append(row);
        MainForm form(window, list);
        form.setProgramFolder(program.path());
        form.PushButton5_Click();
        return list.texts();
    }

    QTemporaryDir program;
    FakeWindow window;
};

TEST_F(Samples, StoresTheFullPathsScrambledInListingOrder)
{
    BuildSampleList(program.path(), window);
    const QString stored = ReadSetting("SampleList", "");
    EXPECT_EQ(UnscrambleText(stored, Key),
              QStringList({sample("A tune.m4a"), sample("b song.m4a"), sample("c.m4a")}).join('|'));
    EXPECT_EQ(window.yields, stored.size());
}

TEST_F(Samples, EmptyOrMissingFolderStoresNothing)
{
    QDir(program.path() + "/Samples").removeRecursively();
    BuildSampleList(program.path(), window);
    EXPECT_EQ(ReadSetting("SampleList", "unset"), "");
    EXPECT_TRUE(press().isEmpty());
    EXPECT_EQ(window.questions, QStringList({Question}));
}

TEST_F(Samples, EachPressAddsTheStoredSamplesNotYetListed)
{
    BuildSampleList(program.path(), window);
    QFile::remove(sample("b song.m4a"));
    plumark::test::writeFile(sample("later.m4a"), "x");

    const QStringList expected{sample("A tune.m4a"), sample("c.m4a")};
    EXPECT_EQ(press(), expected);
    EXPECT_EQ(press(expected), expected);
    EXPECT_EQ(press({sample("c.m4a")}), QStringList({sample("c.m4a"), sample("A tune.m4a")}));
    EXPECT_EQ(window.questions, QStringList(3, Question));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(window.opened.isEmpty());
}

TEST_F(Samples, YesOpensTheSampleFolder)
{
    window.answers = {true};
    press();
    EXPECT_EQ(window.opened, QStringList({program.path() + "/Samples"}));
}

} // namespace
