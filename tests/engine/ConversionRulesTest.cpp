#include "engine/ConversionRules.h"
#include "engine/ChildProcess.h"
#include "engine/OutputClaims.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace plumark;

namespace {

struct OutputPathCase
{
    const char* input;
    const char* folder;
    PathStyle style;
    const char* output;
    // Names the case in test listings.
    friend void PrintTo(const OutputPathCase& c, std::ostream* os) { *os << c.input; }
};

class OutputPathTest : public testing::TestWithParam<OutputPathCase>
{
};

TEST_P(OutputPathTest, JoinsFolderAndBaseNameWithOneSeparator)
{
    const OutputPathCase& c = GetParam();
    EXPECT_EQ(outputPathFor(QString::fromUtf8(c.input), QString::fromUtf8(c.folder), c.style)
                  .toStdString(),
              c.output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputPathTest,
    testing::Values(
        OutputPathCase{"D:\\Music\\song.m4a", "D:\\Out", PathStyle::Windows, "D:\\Out\\song.ac3"},
        OutputPathCase{"D:\\Music\\song.m4a", "D:\\Out\\", PathStyle::Windows, "D:\\Out\\song.ac3"},
        OutputPathCase{"D:\\Music\\song.m4a", "", PathStyle::Windows, "D:\\Music\\song.ac3"},
        OutputPathCase{"\\\\server\\share\\a.b.m4a", "", PathStyle::Windows,
                       "\\\\server\\share\\a.b.ac3"},
        OutputPathCase{"/music/song.m4a", "/out/", PathStyle::Native, "/out/song.ac3"},
        OutputPathCase{"/music/song.m4a", "", PathStyle::Native, "/music/song.ac3"},
        OutputPathCase{"/music/.m4a", "", PathStyle::Native, "/music/.m4a.ac3"},
        OutputPathCase{"/music/Ærø 日本.m4a", "/out", PathStyle::Native, "/out/Ærø 日本.ac3"}));

// Claims in list order: a result may not replace a listed file (also one
// reached through a hard link) nor an earlier result of another input; its
// own input is left to refusalReason, and the same input listed again (also
// through a linked folder) may replace its own earlier result.
TEST(OutputClaims, RefusesResultsThatReplaceAListedFileOrAnEarlierResult)
{
    QTemporaryDir dir;
    const QString listedAc3 = dir.filePath(QStringLiteral("a/song.ac3"));
    const QString input = dir.filePath(QStringLiteral("b/song.m4a"));
    const QString other = dir.filePath(QStringLiteral("c/song.m4a"));
    for (const QString& file : {listedAc3, input, other})
        test::writeFile(file, "data");
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    const QString hardLink = dir.filePath(QStringLiteral("out/song.ac3"));
    ASSERT_EQ(
        ::link(QFile::encodeName(listedAc3).constData(), QFile::encodeName(hardLink).constData()),
        0);
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("b")), dir.filePath(QStringLiteral("bl"))));

    OutputClaims claims({listedAc3, input, other});
    const QString replaceListed =
        QStringLiteral("The result would replace the listed file \"%1\".");
    struct Case
    {
        QString input, output, reason;
    };
    const QList<Case> cases = {
        {listedAc3, listedAc3, QString()},
        {input, listedAc3, replaceListed.arg(listedAc3)},
        {input, hardLink, replaceListed.arg(listedAc3)},
        {input, dir.filePath(QStringLiteral("a/../out/new.ac3")), QString()},
        {other, dir.filePath(QStringLiteral("out/new.ac3")),
         QStringLiteral("The result would replace the result of \"%1\".").arg(input)},
        {other, dir.filePath(QStringLiteral("c/song.ac3")), QString()},
        {input, dir.filePath(QStringLiteral("out/new.ac3")), QString()},
        {dir.filePath(QStringLiteral("bl/song.m4a")), dir.filePath(QStringLiteral("out/new.ac3")),
         QString()},
        // the result is now that of the row last written
        {other, dir.filePath(QStringLiteral("out/new.ac3")),
         QStringLiteral("The result would replace the result of \"%1\".")
             .arg(dir.filePath(QStringLiteral("bl/song.m4a")))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(claims.claim(c.input, c.output), c.reason) << c.output.toStdString();
}

struct ErrorLineCase
{
    const char* name;
    const char* output;
    const char* line;
    // Names the case in test listings.
    friend void PrintTo(const ErrorLineCase& c, std::ostream* os) { *os << c.name; }
};

class LastErrorLineTest : public testing::TestWithParam<ErrorLineCase>
{
};

TEST_P(LastErrorLineTest, FindsTheLineThatNamesTheCause)
{
    EXPECT_EQ(lastErrorLine(QByteArray(GetParam().output)).toStdString(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LastErrorLineTest,
    testing::Values(
        ErrorLineCase{"Empty", "", ""}, ErrorLineCase{"OnlyBlankLines", "\n \r\n\t\r", ""},
        ErrorLineCase{"LastLineTrimmed", "first\n  t.m4a: Invalid data found  \n\n",
                      "t.m4a: Invalid data found"},
        ErrorLineCase{"AfterProgressOnTheSameLine",
                      "size=       0kB time=00:00:00.00 bitrate=N/A speed=   0x    \r"
                      "[ac3 @ 0x5584f18b0dc0] Bit allocation failed. Try increasing the "
                      "bitrate.\nError submitting audio frame to the encoder\n"
                      "Conversion failed!\n",
                      "[ac3 @ 0x5584f18b0dc0] Bit allocation failed. Try increasing the "
                      "bitrate."},
        ErrorLineCase{"ProgressSkipped",
                      "Output error\nsize=  5kB time=00:00:01.01 bitrate= 40.2kbits/s\r",
                      "Output error"},
        ErrorLineCase{"OnlyProgress", "size=  5kB time=00:00:01.01 bitrate= 40.2kbits/s\r",
                      "size=  5kB time=00:00:01.01 bitrate= 40.2kbits/s"},
        ErrorLineCase{"OnlySummary", "size= 0kB time=00:00:00.00\rConversion failed!\n",
                      "Conversion failed!"},
        ErrorLineCase{"InvalidUtf8", "bad name \xff\xfe here\n",
                      "bad name \xef\xbf\xbd\xef\xbf\xbd here"},
        // ffmpeg folds a line said again into a count: the line counted is the cause.
        ErrorLineCase{"RepeatCountPassedOver",
                      "[aac @ 0x555cae962b00] channel element 0.0 is not allocated\n"
                      "    Last message repeated 3 times\n",
                      "[aac @ 0x555cae962b00] channel element 0.0 is not allocated"},
        ErrorLineCase{"RepeatCountBeforeTheSummary",
                      "Error while decoding stream #0:0: Invalid data found when processing "
                      "input\n    Last message repeated 1 time\nConversion failed!\n",
                      "Error while decoding stream #0:0: Invalid data found when processing "
                      "input"},
        // A playlist posing as an M4A, refused by the batch's format list.
        ErrorLineCase{"FormatNotOnTheList",
                      "[hls @ 0x560245458980] Format not on whitelist 'mov,aac,ac3'\n"
                      "pl.m4a: Invalid argument\n",
                      "The input is not an audio file but hls."}),
    [](const auto& info) { return std::string(info.param.name); });

// A converter that could not be started is named with the system's cause
// where it is known, and with the runtime's number where only that is.
TEST(ConversionFailureReason, AStartFailureNamesItsCause)
{
    const struct
    {
        int error;
        const char* reason;
    } cases[] = {
        {ENOEXEC, "The converter could not be started (Exec format error)."},
        {E2BIG, "The converter could not be started (Argument list too long)."},
        {ENOENT, "The converter could not be started (No such file or directory)."},
        {0, "The converter could not be started (error 5)."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(conversionFailureReason(startFailureCode(c.error ? c.error : EIO), QString(), {},
                                          c.error)
                      .toStdString(),
                  c.reason);
}

} // namespace
