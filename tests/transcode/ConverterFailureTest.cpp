// What the in-process converter reports for inputs it cannot convert, in the
// library's words, and that it never leaves a partial or empty result.
#include "Corpus.h"
#include "support/ConverterJob.h"
#include "transcode/Ac3Converter.h"
#include "transcode/AudioLength.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace plumark;
using namespace plumark::test;

namespace {

struct BadInput
{
    const char* name;
    // Makes the input in the folder and returns its path.
    std::function<QString(const QString& folder)> make;
    const char* reason; // a part of the reason
    const char* rate = "192k";
    // The reason where the library does not even recognise the input, as
    // FFmpeg 9.0 no longer takes an HLS list without its own extension.
    const char* unrecognised = nullptr;
};

// A failing case is named in the test's output, not dumped as bytes.
void PrintTo(const BadInput& c, std::ostream* os)
{
    *os << c.name;
}

QString write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QString goodInput(const QString& folder)
{
    const QString path = folder + QStringLiteral("/good.m4a");
    generate(path, {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=f=440:r=44100:d=1"), QStringLiteral("-c:a"),
                    QStringLiteral("aac")});
    return path;
}

const BadInput badInputs[] = {
    // The engine opens its input through the input gate, whatever was
    // planned: what would block it, or is no file, is refused unread.
    {"missing", [](const QString& folder) { return folder + QStringLiteral("/gone.m4a"); },
     "The file does not exist."},
    {"kernel_file",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/status.m4a");
         EXPECT_TRUE(QFile::link(QStringLiteral("/proc/self/status"), path));
         return path;
     },
     "proc file system"},
    {"fifo",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/pipe.m4a");
         EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         return path;
     },
     "named pipe (FIFO)"},
    {"text",
     [](const QString& folder) {
         return write(folder + QStringLiteral("/notes.m4a"), "not audio at all\n");
     },
     "Invalid data found when processing input"},
    {"empty",
     [](const QString& folder) { return write(folder + QStringLiteral("/empty.m4a"), {}); },
     "Invalid data found when processing input"},
    {"truncated",
     [](const QString& folder) {
         QFile whole(goodInput(folder));
         EXPECT_TRUE(whole.open(QIODevice::ReadOnly));
         const QByteArray bytes = whole.readAll();
         return write(folder + QStringLiteral("/half.m4a"), bytes.left(bytes.size() / 2));
     },
     "Invalid data found when processing input"},
    {"video_only",
     [](const QString& folder) {
         const QString path = folder + QStringLiteral("/picture.m4a");
         generate(path, {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("color=c=blue:s=32x32:d=0.2"), QStringLiteral("-c:v"),
                         QStringLiteral("mpeg4"), QStringLiteral("-f"), QStringLiteral("mp4")});
         return path;
     },
     "no audio stream"},
    {"rate_not_a_number", goodInput, "Error while opening encoder", "fast"},
    // Lists that would make the converter read another file's audio.
    {"hls_playlist",
     [](const QString& folder) {
         goodInput(folder);
         return write(folder + QStringLiteral("/list.m4a"),
                      "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\ngood.m4a\n#EXT-X-ENDLIST\n");
     },
     "not an audio file but Apple HTTP Live Streaming", "192k",
     "Invalid data found when processing input"},
    {"concat_list",
     [](const QString& folder) {
         goodInput(folder);
         return write(folder + QStringLiteral("/list.m4a"),
                      "ffconcat version 1.0\nfile good.m4a\n");
     },
     "not an audio file but Virtual concatenation script"},
    {"dash_manifest",
     [](const QString& folder) {
         goodInput(folder);
         return write(folder + QStringLiteral("/list.m4a"),
                      "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" "
                      "profiles=\"urn:mpeg:dash:profile:isoff-on-demand:2011\" type=\"static\" "
                      "mediaPresentationDuration=\"PT1S\"><Period><AdaptationSet>"
                      "<Representation id=\"a\" bandwidth=\"1\"><BaseURL>good.m4a</BaseURL>"
                      "</Representation></AdaptationSet></Period></MPD>\n");
     },
     "not an audio file but Dynamic Adaptive Streaming"},
};

class ConverterFailure : public ::testing::TestWithParam<BadInput>
{
protected:
    QTemporaryDir folder;
};

TEST_P(ConverterFailure, NamesTheCauseAndLeavesNothing)
{
    ASSERT_TRUE(folder.isValid());
    const QString input = GetParam().make(folder.path());
    if (HasFatalFailure())
        return;
    const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
    const QString output = folder.filePath(QStringLiteral("result.ac3"));

    const transcode::Ac3Result result =
        transcode::convertToAc3(engineJob(input, output, QString::fromUtf8(GetParam().rate)));

    EXPECT_FALSE(result.converted);
    const auto says = [&](const char* reason) {
        return reason && result.reason.contains(QString::fromUtf8(reason), Qt::CaseInsensitive);
    };
    EXPECT_TRUE(says(GetParam().reason) || says(GetParam().unrecognised))
        << result.reason.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

INSTANTIATE_TEST_SUITE_P(BadInputs, ConverterFailure, ::testing::ValuesIn(badInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Reading an input's length for an existing result does not follow a list to
// the file it names either.
TEST(EngineLength, ListsNamingAFileGiveNoLength)
{
    for (const BadInput& c : badInputs) {
        if (!QByteArray(c.reason).startsWith("not an audio file"))
            continue;
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const QString list = c.make(folder.path());
        EXPECT_GT(transcode::decodedAudioLength(
                      QFile::encodeName(folder.filePath(QStringLiteral("good.m4a"))))
                      .samples,
                  0);
        EXPECT_EQ(transcode::decodedAudioLength(QFile::encodeName(list)).samples, -1) << c.name;
    }
}

TEST(EngineResult, ReplacesAnOldResultAndReportsItsPosition)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString input = goodInput(folder.path());
    const QString output = folder.filePath(QStringLiteral("good.ac3"));
    QFile old(output);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an old result");
    old.close();

    QList<double> positions;
    double duration = 0;
    const transcode::Ac3Result result =
        transcode::convertToAc3(engineJob(input, output), [&](double position, double length) {
            positions.append(position);
            duration = length;
        });

    ASSERT_TRUE(result.converted) << result.reason.toStdString();
    EXPECT_NEAR(duration, 1.0, 0.05);
    ASSERT_FALSE(positions.isEmpty());
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_GT(positions.last(), 0.9);
    EXPECT_LE(positions.last(), duration);
    QFile written(output);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(2) == QByteArray("\x0b\x77", 2)); // an AC3 frame's sync word
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("good.ac3"), QStringLiteral("good.m4a")}));
}

TEST(EngineResult, AMissingOutputFolderIsNamed)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString input = goodInput(folder.path());
    const transcode::Ac3Result result = transcode::convertToAc3(
        engineJob(input, folder.filePath(QStringLiteral("no/such/folder/good.ac3"))));
    EXPECT_FALSE(result.converted);
    EXPECT_TRUE(result.reason.contains(QStringLiteral("No such file or directory")))
        << result.reason.toStdString();
}

} // namespace
