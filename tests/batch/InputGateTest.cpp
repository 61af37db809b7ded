// Inputs that are no music file of their own: files of the kernel's own file
// systems, which pose as regular files and may be read without end, and
// playlists or lists named like an M4A that would make a converter read the
// files they name. Whatever the engine and whichever step would read such an
// input first (its rate, from its boxes or by the probe; its length, for
// --skip-existing; its conversion), the batch refuses it unread, names it
// with its reason, converts the other files and ends.
#include "BatchProcess.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace plumark {
namespace {

// One input that must not be read, made at path; false when this machine
// cannot give it.
struct Input
{
    const char* name;
    std::function<bool(const QString& path, const QString& goodInput)> make;
    const char* reason; // part of the reason the summary gives, as a pattern
};

const Input inputs[] = {
    {"SystemFile",
     [](const QString& path, const QString&) {
         return QFile::link(QStringLiteral("/proc/self/status"), path);
     },
     "proc file system"},
    {"SystemFileThatBlocks",
     [](const QString& path, const QString&) {
         // A read waits for the kernel's next message; only root may open it.
         return ::geteuid() == 0 && QFile::exists(QStringLiteral("/proc/kmsg")) &&
                QFile::link(QStringLiteral("/proc/kmsg"), path);
     },
     "proc file system"},
    {"HlsPlaylist",
     [](const QString& path, const QString& good) {
         test::writeFile(path, "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1.0,\n" +
                                   QFile::encodeName(good) + "\n#EXT-X-ENDLIST\n");
         return true;
     },
     // FFmpeg 7.1 and later take an HLS list only under its own extension.
     "not an audio file but|Invalid data found when processing input"},
    {"ConcatenationList",
     [](const QString& path, const QString& good) {
         test::writeFile(path, "ffconcat version 1.0\nfile '" + QFile::encodeName(good) + "'\n");
         return true;
     },
     "not an audio file but"},
};

// How the batch is run: the engine, and the step that would read the input
// first.
struct Mode
{
    const char* name;
    QStringList arguments;
    bool resultsThere = false; // each input's result is there before the run
};

const Mode modes[] = {
    {"OwnRate", {}},
    {"OwnRateByTheProgram", {QStringLiteral("--engine"), QStringLiteral("ffmpeg")}},
    {"ConstantRate", {QStringLiteral("--bitrate"), QStringLiteral("192")}},
    {"ConstantRateByTheProgram",
     {QStringLiteral("--bitrate"), QStringLiteral("192"), QStringLiteral("--engine"),
      QStringLiteral("ffmpeg")}},
    {"SkipExisting",
     {QStringLiteral("--skip-existing"), QStringLiteral("--bitrate"), QStringLiteral("192")},
     true},
    {"SkipExistingByTheProgram",
     {QStringLiteral("--skip-existing"), QStringLiteral("--bitrate"), QStringLiteral("192"),
      QStringLiteral("--engine"), QStringLiteral("ffmpeg")},
     true},
};

class InputGateTest : public testing::TestWithParam<std::tuple<Input, Mode>>
{
};

TEST_P(InputGateTest, TheInputIsRefusedUnreadAndTheBatchEnds)
{
    const auto& [input, mode] = GetParam();
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString good = in + QStringLiteral("/a.m4a");
    const QString bad = in + QStringLiteral("/k.m4a");
    test::makeM4a(good, 0.5);
    QDir().mkpath(out);
    if (!input.make(bad, good))
        GTEST_SKIP() << input.name << " cannot be made here";
    const QString badResult = out + QStringLiteral("/k.ac3");
    if (mode.resultsThere) {
        // A whole result of the good file, also where the other's would go:
        // only reading the input's length could tell that it is not its own.
        const test::BatchResult first =
            test::runConvert({QStringLiteral("--bitrate"), QStringLiteral("192"),
                              QStringLiteral("--output-dir"), out, good});
        ASSERT_EQ(first.exitCode, 0) << first.out.toStdString();
        ASSERT_TRUE(QFile::copy(out + QStringLiteral("/a.ac3"), badResult));
    }
    const QByteArray badResultBefore = mode.resultsThere ? test::fileHash(badResult) : QByteArray();

    const test::BatchResult result = test::runConvert(
        mode.arguments + QStringList{QStringLiteral("--jobs"), QStringLiteral("1"),
                                     QStringLiteral("--output-dir"), out, bad, good});
    ASSERT_EQ(result.exitCode, 1) << "the batch did not end as it should\n"
                                  << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("Not converted: 1\n  ") + bad + QStringLiteral(": ")))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(QRegularExpression(QLatin1String(input.reason))))
        << result.out.toStdString();
    if (mode.resultsThere) {
        EXPECT_TRUE(result.out.contains(QStringLiteral("Skipped: 1"))) << result.out.toStdString();
        EXPECT_EQ(test::fileHash(badResult), badResultBefore);
    } else {
        EXPECT_TRUE(result.out.contains(QStringLiteral("Converted: 1 of 2")))
            << result.out.toStdString();
        EXPECT_FALSE(QFile::exists(badResult));
    }
    EXPECT_EQ(test::probeMedia(out + QStringLiteral("/a.ac3")).codec, QStringLiteral("ac3"));
    const QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, mode.resultsThere
                        ? QStringList({QStringLiteral("a.ac3"), QStringLiteral("k.ac3")})
                        : QStringList({QStringLiteral("a.ac3")}));
}

INSTANTIATE_TEST_SUITE_P(Inputs, InputGateTest,
                         testing::Combine(testing::ValuesIn(inputs), testing::ValuesIn(modes)),
                         [](const testing::TestParamInfo<std::tuple<Input, Mode>>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// The ffmpeg program reads an ordinary M4A under the batch's restrictions
// and writes the bytes the built-in engine writes.
TEST(InputGate, TheRestrictedProgramStillConvertsAnM4a)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in/a.m4a"));
    test::makeM4a(input, 0.5);
    for (const char* engine : {"builtin", "ffmpeg"}) {
        const QString out = dir.filePath(QLatin1String(engine));
        const test::BatchResult result = test::runConvert(
            {QStringLiteral("--engine"), QLatin1String(engine), QStringLiteral("--bitrate"),
             QStringLiteral("192"), QStringLiteral("--output-dir"), out, input});
        ASSERT_EQ(result.exitCode, 0) << engine << result.out.toStdString();
    }
    EXPECT_EQ(test::fileHash(dir.filePath(QStringLiteral("ffmpeg/a.ac3"))),
              test::fileHash(dir.filePath(QStringLiteral("builtin/a.ac3"))));
}

} // namespace
} // namespace plumark
