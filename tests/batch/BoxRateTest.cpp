#include "batch/BoxRate.h"
#include "engine/BitRate.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// What the probe's report gives today: the real exiftool read with the
// window's rule; empty when no rate is found.
QString probeToken(const QString& path)
{
    QProcess probe;
    probe.setStandardInputFile(QProcess::nullDevice());
    probe.start(QStringLiteral("exiftool"), {path});
    probe.waitForFinished(60000);
    return rateFromProbeReport(QString::fromUtf8(probe.readAllStandardOutput()));
}

void ffmpeg(const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-y")} +
                      arguments);
    process.waitForFinished(120000);
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QStringList noise(double seconds, int channels = 1)
{
    return {QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("anoisesrc=d=%1:c=white:r=44100:a=0.3:seed=3").arg(seconds),
            QStringLiteral("-ac"),
            QString::number(channels)};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file with its media data box's header turned into the 64-bit form, in
// place of the 8-byte "free" box before it, so that nothing else moves.
void widenMediaHeader(const QString& from, const QString& to)
{
    QByteArray bytes = readAll(from);
    const qsizetype free = bytes.indexOf(QByteArray("\0\0\0\x08"
                                                    "free",
                                                    8));
    ASSERT_GT(free, 0);
    ASSERT_EQ(bytes.mid(free + 12, 4), QByteArray("mdat"));
    const quint32 size = qFromBigEndian<quint32>(bytes.constData() + free + 8);
    QByteArray header("\0\0\0\x01"
                      "mdat"
                      "\0\0\0\0",
                      12);
    const quint32 wide = qToBigEndian(size + 8);
    header.append(reinterpret_cast<const char*>(&wide), 4);
    bytes.replace(free, 16, header);
    test::writeFile(to, bytes);
}

// The media data box, last in a file, marked as running to the file's end.
void openEndedMedia(const QString& from, const QString& to)
{
    QByteArray bytes = readAll(from);
    const qsizetype media = bytes.lastIndexOf("mdat");
    ASSERT_GT(media, 4);
    bytes.replace(media - 4, 4, QByteArray(4, '\0'));
    test::writeFile(to, bytes);
}

// For every kind of MP4-family input the box reader gives the token the
// probe's report gives, or leaves the file to the probe where it cannot be
// sure; it answers itself for everything an ordinary music file is.
TEST(BoxRate, GivesTheProbesTokenForEveryKindOfInput)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    const QStringList aac = {QStringLiteral("-c:a"), QStringLiteral("aac")};
    const auto rate = [](int kbps) {
        return QStringList{QStringLiteral("-b:a"), QStringLiteral("%1k").arg(kbps)};
    };

    ffmpeg(noise(1) + aac + rate(48) + QStringList{at("aac48.m4a")});
    ffmpeg(noise(1.5, 2) + aac + rate(192) + QStringList{at("aac192.m4a")});
    ffmpeg(noise(2, 2) + aac + rate(320) + QStringList{at("aac320.mp4")});
    ffmpeg(noise(0.1) + aac + rate(128) + QStringList{at("short.m4a")});
    ffmpeg(noise(20) + aac + rate(24) + QStringList{at("long.m4a")});
    ffmpeg(noise(1, 2) +
           QStringList{QStringLiteral("-c:a"), QStringLiteral("alac"), at("alac.m4a")});
    ffmpeg(noise(1, 2) + QStringList{QStringLiteral("-c:a"), QStringLiteral("alac"),
                                     QStringLiteral("-sample_fmt"), QStringLiteral("s32p"),
                                     at("alac24.m4a")});
    ffmpeg(noise(1) +
           QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                       QStringLiteral("color=c=red:s=64x64:d=0.04"), QStringLiteral("-map"),
                       QStringLiteral("0"), QStringLiteral("-map"), QStringLiteral("1"),
                       QStringLiteral("-c:v"), QStringLiteral("png"),
                       QStringLiteral("-disposition:v"), QStringLiteral("attached_pic")} +
           aac + rate(96) + QStringList{at("cover.m4a")});
    ffmpeg({QStringLiteral("-ss"), QStringLiteral("0.3"), QStringLiteral("-i"), at("aac192.m4a"),
            QStringLiteral("-c"), QStringLiteral("copy"), at("edited.m4a")});
    ffmpeg(noise(2) + aac + rate(64) +
           QStringList{QStringLiteral("-movflags"), QStringLiteral("frag_keyframe+empty_moov"),
                       QStringLiteral("-frag_duration"), QStringLiteral("500000"),
                       at("fragmented.m4a")});
    ffmpeg(noise(2) + aac + rate(64) +
           QStringList{QStringLiteral("-movflags"), QStringLiteral("frag_keyframe"),
                       QStringLiteral("-frag_duration"), QStringLiteral("500000"),
                       at("fragments.mp4")});
    ffmpeg(noise(1) + noise(1, 2) + aac + rate(80) +
           QStringList{QStringLiteral("-map"), QStringLiteral("0"), QStringLiteral("-map"),
                       QStringLiteral("1"), at("two tracks.m4a")});
    ffmpeg(noise(1) + aac + rate(112) +
           QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart"),
                       at("faststart.m4a")});
    ffmpeg(noise(1) + aac + rate(128) +
           QStringList{QStringLiteral("-metadata"), QStringLiteral("title=Bitrate talk"),
                       at("titled.m4a")});
    ffmpeg(noise(1) + aac + rate(128) +
           QStringList{QStringLiteral("-movflags"), QStringLiteral("use_metadata_tags"),
                       QStringLiteral("-metadata"), QStringLiteral("AudioBitrate=999 kbps"),
                       at("tagged.m4a")});
    ffmpeg(noise(1) + aac + rate(128) + QStringList{at("audio.mov")});
    widenMediaHeader(at("aac48.m4a"), at("wide.m4a"));
    openEndedMedia(at("faststart.m4a"), at("open-ended.m4a"));
    QByteArray cut = readAll(at("aac192.m4a"));
    test::writeFile(at("cut.m4a"), cut.left(cut.size() / 2));
    test::writeFile(at("empty movie.m4a"), QByteArray("\0\0\0\x10"
                                                      "ftypM4A \0\0\0\0"
                                                      "\0\0\0\x08"
                                                      "mdat",
                                                      24));
    test::writeFile(at("text.m4a"), "not a movie at all");
    ffmpeg(noise(1) + QStringList{at("wave.wav")});
    // The kernel's own files are refused unread, and left to no probe.
    QFile::link(QStringLiteral("/proc/self/status"), at("kernel.m4a"));

    const struct
    {
        const char* name;
        BoxRate::Outcome outcome;
    } cases[] = {
        {"aac48.m4a", BoxRate::Outcome::Found},
        {"aac192.m4a", BoxRate::Outcome::Found},
        {"aac320.mp4", BoxRate::Outcome::Found},
        {"short.m4a", BoxRate::Outcome::Found},
        {"long.m4a", BoxRate::Outcome::Found},
        {"alac.m4a", BoxRate::Outcome::Found},   // above 1000k: written in Mbps
        {"alac24.m4a", BoxRate::Outcome::Found}, // the same
        {"cover.m4a", BoxRate::Outcome::Found},
        {"edited.m4a", BoxRate::Outcome::Found},
        {"fragmented.m4a", BoxRate::Outcome::None}, // the movie's length is not known up front
        {"fragments.mp4", BoxRate::Outcome::Found}, // many media data boxes, summed
        {"two tracks.m4a", BoxRate::Outcome::Found},
        {"faststart.m4a", BoxRate::Outcome::Found},
        {"titled.m4a", BoxRate::Outcome::AskProbe}, // a tag could name a rate
        {"tagged.m4a", BoxRate::Outcome::AskProbe},
        {"audio.mov", BoxRate::Outcome::Found},
        {"wide.m4a", BoxRate::Outcome::Found},
        {"open-ended.m4a", BoxRate::Outcome::Found},
        {"cut.m4a", BoxRate::Outcome::AskProbe}, // the movie box is never reached
        {"empty movie.m4a", BoxRate::Outcome::AskProbe},
        {"text.m4a", BoxRate::Outcome::AskProbe},
        {"wave.wav", BoxRate::Outcome::AskProbe},
        {"kernel.m4a", BoxRate::Outcome::Refused},
    };
    for (const auto& c : cases) {
        const QString path = at(c.name);
        const BoxRate read = BoxRate::read(QFile::encodeName(path));
        EXPECT_EQ(int(read.outcome), int(c.outcome)) << c.name;
        if (read.outcome == BoxRate::Outcome::Found) {
            EXPECT_EQ(read.rate.toStdString(), probeToken(path).toStdString()) << c.name;
        } else if (read.outcome == BoxRate::Outcome::None) {
            EXPECT_EQ(probeToken(path).toStdString(), "") << c.name;
        } else if (read.outcome == BoxRate::Outcome::Refused) {
            EXPECT_TRUE(read.refusal.contains(QStringLiteral("proc file system"))) << c.name;
        }
    }
}

} // namespace
} // namespace plumark
