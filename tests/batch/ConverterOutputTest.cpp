#include "batch/ConverterOutput.h"
#include "batch/Ac3Header.h"
#include "batch/ProgressEstimate.h"
#include "support/Media.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// The converter's real error output for one conversion, read in small pieces
// that cut lines in the middle, as a pipe may deliver it.
TEST(ConverterOutput, FollowsTheConvertersOwnProgress)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.m4a"));
    test::makeM4a(input, 1.5);
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-i"), input, QStringLiteral("-ab"), QStringLiteral("192k"),
                  QStringLiteral("-acodec"), QStringLiteral("ac3"),
                  dir.filePath(QStringLiteral("out.ac3"))});
    ASSERT_TRUE(ffmpeg.waitForFinished(60000));
    const QByteArray errors = ffmpeg.readAllStandardError();
    ASSERT_TRUE(errors.contains("time="));

    LineSplitter splitter;
    ConverterProgress progress;
    int lines = 0;
    for (qsizetype i = 0; i < errors.size(); i += 7) {
        for (const QString& line : splitter.feed(errors.mid(i, 7))) {
            EXPECT_FALSE(line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')));
            progress.readLine(line);
            ++lines;
        }
    }
    for (const QString& line : splitter.finish())
        progress.readLine(line);
    EXPECT_GT(lines, 5);
    EXPECT_NEAR(progress.duration(), 1.5, 0.1);
    EXPECT_NEAR(progress.position(), 1.5, 0.1);
    EXPECT_NEAR(progress.fraction(), 1.0, 0.05);
}

TEST(ConverterOutput, ClockTexts)
{
    EXPECT_DOUBLE_EQ(secondsFromClock(QStringLiteral("01:02:03.50")), 3723.5);
    EXPECT_DOUBLE_EQ(secondsFromClock(QStringLiteral("00:00:00.00")), 0);
    EXPECT_LT(secondsFromClock(QStringLiteral("N/A")), 0);
    EXPECT_LT(secondsFromClock(QStringLiteral("-00:00:01.00")), 0);
}

// The rate the encoder really used, read from the result's first frame
// header, agrees with ffprobe, also where the encoder changed the rate asked.
TEST(Ac3Header, ReadsTheRateOfRealResults)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.m4a"));
    test::makeM4a(input);
    for (const char* asked : {"192k", "144k", "8k", "640k"}) {
        const QString output = dir.filePath(QStringLiteral("out-%1.ac3").arg(asked));
        QProcess ffmpeg;
        ffmpeg.setStandardInputFile(QProcess::nullDevice());
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), input,
                      QStringLiteral("-ab"), QString::fromLatin1(asked), QStringLiteral("-acodec"),
                      QStringLiteral("ac3"), output});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        const Ac3Header header = readAc3Header(output);
        EXPECT_TRUE(header.valid) << asked;
        EXPECT_EQ(header.bitRateKbps * 1000, test::probeMedia(output).bitRate) << asked;
        EXPECT_TRUE(isReadableAc3(output));
    }
}

TEST(Ac3Header, RefusesWhatIsNoAc3)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {{"empty.ac3", QByteArray()},
                 {"short.ac3", QByteArray("\x0b\x77", 2)},
                 {"text.ac3", QByteArray("not audio at all")},
                 {"eac3.ac3", QByteArray("\x0b\x77\x00\x00\x14\x80", 6)}};
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        test::writeFile(path, c.bytes);
        EXPECT_FALSE(isReadableAc3(path)) << c.name;
    }
    EXPECT_FALSE(isReadableAc3(dir.filePath(QStringLiteral("missing.ac3"))));
}

TEST(ProgressEstimate, RestAtTheSpeedSoFar)
{
    // 30 s of input done in 10 s; 10 s of the running file and two files of
    // the 20 s average length are left: 50 s of input at 3 per second.
    const QList<RunningFile> running{{QStringLiteral("b.m4a"), 20, 10}};
    EXPECT_NEAR(estimateRemaining(10, {20.0}, running, 2), 50.0 / 3.0, 1e-9);
    EXPECT_LT(estimateRemaining(0, {}, {}, 3), 0);
    EXPECT_EQ(clockText(75), QStringLiteral("1:15"));
    EXPECT_EQ(clockText(3725), QStringLiteral("1:02:05"));
}

} // namespace
} // namespace plumark
