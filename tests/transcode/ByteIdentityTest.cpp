// The in-process converter writes the very bytes that
// "ffmpeg -i IN -ab RATE -acodec ac3 OUT" of the installed ffmpeg writes, for
// inputs of every rate, channel count and codec a user brings, at a constant
// rate and at the input's own rate as the probe reads it, encoding on one
// thread or on several.
#include "Corpus.h"
#include "batch/RateProbe.h"
#include "engine/Tools.h"
#include "transcode/Ac3Converter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

constexpr int Mono = 1;
constexpr int Stereo = 2;
constexpr int Quad = 4;
constexpr int Surround = 6;  // 5.1
constexpr int Surround8 = 8; // 7.1, more than AC3 holds

// A lavfi source of distinct tones, one per channel, with a little noise.
QStringList tones(int channels, int rate, double seconds)
{
    QStringList expressions;
    for (int channel = 0; channel < channels; ++channel)
        expressions.append(QStringLiteral("0.3*sin(2*PI*%1*t)+0.05*(random(%2)-0.5)")
                               .arg(220 + 110 * channel)
                               .arg(channel));
    const QString layout = channels == Mono       ? QStringLiteral("mono")
                           : channels == Stereo   ? QStringLiteral("stereo")
                           : channels == Quad     ? QStringLiteral("quad")
                           : channels == Surround ? QStringLiteral("5.1")
                                                  : QStringLiteral("7.1");
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("aevalsrc=%1:c=%2:s=%3:d=%4")
                .arg(expressions.join(QLatin1Char('|')), layout)
                .arg(rate)
                .arg(seconds)};
}

QStringList aac(const QString& kbps)
{
    return {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), kbps};
}

QStringList operator+(QStringList list, const char* argument)
{
    list.append(QString::fromUtf8(argument));
    return list;
}

struct CorpusCase
{
    const char* name;
    // The generator's arguments for the input, or none where the case writes
    // the input itself.
    std::function<QStringList(const QString& folder)> arguments;
};

// A failing case is named in the test's output, not dumped as bytes.
void PrintTo(const CorpusCase& c, std::ostream* os)
{
    *os << c.name;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Raw AAC whose shape changes midway, as ADTS frames may: one piece of each
// shape (channels, rate), one after the other, written as the input.
std::function<QStringList(const QString& folder)>
changingShape(const QList<std::pair<int, int>>& shapes)
{
    return [shapes](const QString& folder) {
        QByteArray joined;
        for (const auto& [channels, rate] : shapes) {
            const QString piece = folder + QStringLiteral("/piece.aac");
            generate(piece, tones(channels, rate, 1.3) + aac("128k") + "-f" + "adts");
            joined += contents(piece);
        }
        QFile input(folder + QStringLiteral("/input.m4a"));
        EXPECT_TRUE(input.open(QIODevice::WriteOnly) && input.write(joined) == joined.size());
        return QStringList();
    };
}

const CorpusCase corpus[] = {
    {"aac_44k_stereo", [](const QString&) { return tones(Stereo, 44100, 3) + aac("128k"); }},
    {"aac_48k_mono", [](const QString&) { return tones(Mono, 48000, 3) + aac("96k"); }},
    {"aac_22k_stereo", [](const QString&) { return tones(Stereo, 22050, 3) + aac("64k"); }},
    {"aac_96k_5_1", [](const QString&) { return tones(Surround, 96000, 2) + aac("320k"); }},
    {"aac_8k_mono", [](const QString&) { return tones(Mono, 8000, 2) + aac("24k"); }},
    {"aac_32k_quad", [](const QString&) { return tones(Quad, 32000, 2) + aac("160k"); }},
    {"aac_48k_7_1", [](const QString&) { return tones(Surround8, 48000, 2) + aac("384k"); }},
    {"mp3_in_mp4",
     [](const QString&) {
         return tones(Stereo, 44100, 2) + "-c:a" + "mp3" + "-b:a" + "160k" + "-f" + "mp4";
     }},
    {"alac_44k_stereo", [](const QString&) { return tones(Stereo, 44100, 2) + "-c:a" + "alac"; }},
    {"alac_48k_5_1_24bit",
     [](const QString&) {
         return tones(Surround, 48000, 2) + "-c:a" + "alac" + "-sample_fmt" + "s32p";
     }},
    {"alac_96k_24bit_stereo",
     [](const QString&) {
         return tones(Stereo, 96000, 2) + "-c:a" + "alac" + "-sample_fmt" + "s32p";
     }},
    {"cover_art",
     [](const QString&) {
         return tones(Stereo, 44100, 2) + "-f" + "lavfi" + "-i" + "color=c=red:s=64x64:d=1" +
                "-map" + "0:a" + "-map" + "1:v" + aac("128k") + "-c:v" + "png" + "-frames:v" + "1" +
                "-disposition:v:0" + "attached_pic";
     }},
    {"chapters",
     [](const QString& folder) {
         const QString metadata = folder + QStringLiteral("/chapters.txt");
         QFile file(metadata);
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         file.write(";FFMETADATA1\ntitle=Chaptered\n"
                    "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1500\ntitle=One\n"
                    "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1500\nEND=3000\ntitle=Two\n");
         file.close();
         return tones(Stereo, 48000, 3) + "-i" + metadata.toUtf8().constData() + "-map" + "0:a" +
                "-map_chapters" + "1" + aac("128k");
     }},
    // A stereo ALAC track before a 5.1 AAC one: the ffmpeg program takes the
    // first (marked default), where av_find_best_stream would not.
    {"two_tracks_stereo_first",
     [](const QString&) {
         return tones(Stereo, 44100, 2) + tones(Surround, 48000, 2) + "-map" + "0:a" + "-map" +
                "1:a" + "-c:a:0" + "alac" + "-c:a:1" + "aac" + "-b:a:1" + "256k";
     }},
    // Neither marked default: the one with more channels wins.
    {"two_tracks_no_default",
     [](const QString&) {
         return tones(Stereo, 44100, 2) + tones(Surround, 48000, 2) + "-map" + "0:a" + "-map" +
                "1:a" + "-c:a" + "aac" + "-disposition:a:0" + "0" + "-disposition:a:1" + "0";
     }},
    // The encoder keeps the shape of the start, and what follows is brought
    // to it: fewer channels, then a new rate and more channels.
    {"shape_changes_stereo_to_mono", changingShape({{Stereo, 48000}, {Mono, 48000}})},
    {"shape_changes_rate_and_channels",
     changingShape({{Mono, 48000}, {Stereo, 44100}, {Mono, 48000}})},
    {"tenth_of_a_second", [](const QString&) { return tones(Stereo, 44100, 0.1) + aac("128k"); }},
    // Ten minutes of a plain tone in ALAC keep the input quick to make.
    {"ten_minutes",
     [](const QString&) {
         return QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                            QStringLiteral("sine=f=440:r=44100:d=600")} +
                "-c:a" + "alac";
     }},
};

// How the encoding is spread: one thread, or chunks short enough that even
// the shortest input crosses a chunk's edge, and shorter than the 44.1 kHz
// padding period, so that lead-ins reach back over several chunks.
struct Threads
{
    const char* name;
    int threads;
    int chunkFrames;
};

const Threads threadings[] = {
    {"one_thread", 1, 0},
    {"two_threads", 2, 4},
    {"four_threads", 4, 31},
};

void PrintTo(const Threads& t, std::ostream* os)
{
    *os << t.name;
}

class ByteIdentity : public ::testing::TestWithParam<std::tuple<CorpusCase, Threads>>
{
protected:
    QTemporaryDir folder;
};

qsizetype firstDifference(const QByteArray& a, const QByteArray& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i)
        if (a[i] != b[i])
            return i;
    return common;
}

TEST_P(ByteIdentity, SameBytesAsTheFfmpegProgram)
{
    ASSERT_TRUE(folder.isValid());
    const QString input = folder.filePath(QStringLiteral("input.m4a"));
    const auto& [corpusCase, threading] = GetParam();
    const QStringList arguments = corpusCase.arguments(folder.path());
    if (!arguments.isEmpty())
        generate(input, arguments);
    if (HasFatalFailure())
        return;

    const QString sameRate =
        RateProbe(LoadResource(ProbeResource), QStringLiteral("192k"), folder.path())
            .rateFor(input)
            .token;
    QStringList rates{QStringLiteral("192k")};
    // Raw AAC has no rate of its own to read: the same-rate mode falls back to 192k.
    if (sameRate != rates.first())
        rates.append(sameRate);
    for (const QString& rate : rates) {
        SCOPED_TRACE(rate.toStdString());
        const QString expected = folder.filePath(QStringLiteral("ffmpeg-%1.ac3").arg(rate));
        const QString actual = folder.filePath(QStringLiteral("engine-%1.ac3").arg(rate));
        ASSERT_EQ(runFfmpeg({QStringLiteral("-i"), input, QStringLiteral("-ab"), rate,
                             QStringLiteral("-acodec"), QStringLiteral("ac3"), expected}),
                  0);
        transcode::Ac3Job job{QFile::encodeName(input), QFile::encodeName(actual), rate};
        job.threads = threading.threads;
        job.chunkFrames = threading.chunkFrames;
        const transcode::Ac3Result result = transcode::convertToAc3(job);
        ASSERT_TRUE(result.converted) << result.reason.toStdString();

        const QByteArray want = contents(expected);
        const QByteArray got = contents(actual);
        ASSERT_FALSE(want.isEmpty());
        EXPECT_EQ(got.size(), want.size());
        EXPECT_TRUE(got == want) << "first difference at byte " << firstDifference(got, want);
        // No partial result is left beside it.
        EXPECT_TRUE(QDir(folder.path())
                        .entryList(QDir::Files | QDir::Hidden)
                        .filter(QStringLiteral(".partial"))
                        .isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ByteIdentity,
                         ::testing::Combine(::testing::ValuesIn(corpus),
                                            ::testing::ValuesIn(threadings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
