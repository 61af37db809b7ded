// Small crafted inputs that ask a converter for gigabytes (tables of millions
// of samples, frames of minutes, a rate of gigahertz) or for endless audio (an
// edit list that plays the track again and again): each fails its file with
// its reason, and its worker's memory stays far below what it asked.
#include "batch/WorkerPool.h"
#include "support/EngineJob.h"
#include "support/Media.h"
#include "transcode/EngineWorker.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <poll.h>

using namespace plumark;
using namespace plumark::test;

namespace {

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray box(const char* type, const QByteArray& payload)
{
    return be32(quint32(8 + payload.size())) + type + payload;
}

// An MP4 file's boxes, found by their path ("moov/trak/mdia") and replaced
// whole; the sizes of the boxes around a replaced one follow.
class Mp4
{
public:
    explicit Mp4(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    const QByteArray& bytes() const { return m_bytes; }

    // Offsets of the boxes along the path, outermost first; empty when absent.
    QList<qsizetype> find(const QByteArray& path) const
    {
        QList<qsizetype> found;
        qsizetype start = 0;
        qsizetype end = m_bytes.size();
        for (const QByteArray& type : path.split('/')) {
            qsizetype at = start;
            while (at + 8 <= end && m_bytes.mid(at + 4, 4) != type)
                at += size(at);
            if (at + 8 > end)
                return {};
            found.append(at);
            start = at + 8;
            end = at + size(at);
        }
        return found;
    }

    void replace(const QByteArray& path, const QByteArray& replacement)
    {
        const QList<qsizetype> found = find(path);
        ASSERT_FALSE(found.isEmpty()) << path.toStdString();
        const qsizetype at = found.last();
        const qsizetype growth = replacement.size() - size(at);
        for (qsizetype i = 0; i + 1 < found.size(); ++i)
            qToBigEndian(quint32(size(found[i]) + growth), m_bytes.data() + found[i]);
        m_bytes.replace(at, size(at), replacement);
    }

    // The ALAC decoder's settings inside the sample description.
    qsizetype alacConfig() const
    {
        const QList<qsizetype> found = find("moov/trak/mdia/minf/stbl/stsd");
        return found.isEmpty()
                   ? -1
                   : m_bytes.indexOf("alac", m_bytes.indexOf("alac", found.last()) + 4) + 8;
    }
    void setBe32(qsizetype at, quint32 value) { qToBigEndian(value, m_bytes.data() + at); }

private:
    qsizetype size(qsizetype at) const { return qFromBigEndian<quint32>(m_bytes.constData() + at); }

    QByteArray m_bytes;
};

constexpr char SampleTable[] = "moov/trak/mdia/minf/stbl";

QByteArray fullBox(const char* type, const QList<quint32>& values)
{
    QByteArray payload = be32(0); // version and flags
    for (quint32 value : values)
        payload += be32(value);
    return box(type, payload);
}

// Writes bits, most significant first.
class BitWriter
{
public:
    void put(quint32 value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            if (m_used % 8 == 0)
                m_bytes.append('\0');
            if ((value >> i) & 1)
                m_bytes.back() = char(m_bytes.back() | (0x80 >> (m_used % 8)));
            ++m_used;
        }
    }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    qint64 m_used = 0;
};

// One mono ALAC frame of `samples` samples in under a kilobyte: runs of 65,536
// zeros, each a one-bit sample and an escaped 16-bit run length.
QByteArray alacBombFrame(quint32 samples)
{
    BitWriter bits;
    bits.put(0, 3);      // a single channel element
    bits.put(0, 4 + 12); // its tag, unused bits
    bits.put(1, 1);      // the frame states its size
    bits.put(0, 2);      // no extra bits
    bits.put(0, 1);      // compressed
    bits.put(samples, 32);
    bits.put(0, 16); // no decorrelation
    bits.put(0, 4);  // prediction type
    bits.put(1, 4);  // quantisation
    bits.put(4, 3);  // history factor
    bits.put(0, 5);  // no predictor
    for (quint32 done = 0; done < samples; done += 65536) {
        bits.put(0, 1);     // a sample
        bits.put(0x1ff, 9); // an escaped run length follows
        bits.put(65535, 16);
    }
    bits.put(7, 3); // the end
    return bits.bytes();
}

struct Crafted
{
    const char* name;
    // Turns an ffmpeg-made input (AAC, or ALAC when asked) into the crafted one.
    void (*craft)(Mp4& file);
    const char* reason; // a part of the reason
    bool alac = false;
};

void PrintTo(const Crafted& c, std::ostream* os)
{
    *os << c.name;
}

const Crafted crafted[] = {
    // 85 million samples of six bytes each: the sample index alone would
    // take 2 GB.
    {"sample_table_of_85_million",
     [](Mp4& file) {
         const QByteArray table = SampleTable;
         file.replace(table + "/stsz", fullBox("stsz", {6, 85'000'000}));
         file.replace(table + "/stsc", fullBox("stsc", {1, 1, 85'000'000, 1}));
         file.replace(table + "/stts", fullBox("stts", {1, 85'000'000, 1024}));
     },
     "declares 85000000 samples, more than its"},
    // The one-second track played 20,000 times over: 5.5 hours of result,
    // refused before anything is decoded.
    {"edit_list_repeated_20000_times",
     [](Mp4& file) {
         QList<quint32> entries{20'000};
         for (int i = 0; i < 20'000; ++i)
             entries += {1000, 1024, 0x10000};
         file.replace("moov/trak/edts/elst", fullBox("elst", entries));
     },
     "edit list plays 20000.0 s of audio from the 1.0 s its track holds"},
    // Frames of 16 million samples (6 minutes each) in a few kilobytes.
    {"alac_frames_of_16_million_samples",
     [](Mp4& file) {
         const quint32 samples = 4096 * 4096;
         const QByteArray frame = alacBombFrame(samples);
         const int frames = 8;
         file.setBe32(file.alacConfig(), samples);
         const qsizetype data = file.find("mdat").constFirst();
         file.replace("mdat", box("mdat", frame.repeated(frames)));
         const QByteArray table = SampleTable;
         file.replace(table + "/stsz", fullBox("stsz", {quint32(frame.size()), frames}));
         file.replace(table + "/stsc", fullBox("stsc", {1, 1, frames, 1}));
         file.replace(table + "/stco", fullBox("stco", {1, quint32(data + 8)}));
         file.replace(table + "/stts", fullBox("stts", {1, frames, 4096}));
     },
     "more memory than one conversion may use", true},
    // A rate of nearly 2 GHz: resampling it would take gigabytes.
    {"alac_at_two_gigahertz",
     [](Mp4& file) { file.setBe32(file.alacConfig() + 20, 1'953'788'672); },
     "more memory than one conversion may use", true},
};

class CraftedInput : public ::testing::TestWithParam<Crafted>
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString make()
    {
        const QString made = folder.filePath(QStringLiteral("made.m4a"));
        QProcess ffmpeg;
        ffmpeg.setStandardInputFile(QProcess::nullDevice());
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                      QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                      QStringLiteral("-i"), QStringLiteral("sine=f=440:r=44100:d=1"),
                      QStringLiteral("-c:a"),
                      GetParam().alac ? QStringLiteral("alac") : QStringLiteral("aac"), made});
        EXPECT_TRUE(ffmpeg.waitForFinished(60000));
        EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        QFile file(made);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        Mp4 mp4(file.readAll());
        GetParam().craft(mp4);
        const QString path = folder.filePath(QStringLiteral("crafted.m4a"));
        writeFile(path, mp4.bytes());
        return path;
    }

    QTemporaryDir folder;
};

#ifndef __SANITIZE_ADDRESS__
// The most memory a process has held, in megabytes (meaningless under the
// address sanitizer's shadow memory).
qint64 peakMemoryMb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong() / 1024;
    return -1;
}
#endif

TEST_P(CraftedInput, FailsWithItsReasonInBoundedMemory)
{
    const QString input = make();
    if (HasFatalFailure())
        return;
    ASSERT_LT(QFileInfo(input).size(), 300 * 1024);
    const QString output = folder.filePath(QStringLiteral("crafted.ac3"));

    WorkerPool pool(transcode::runEngineWorker, 1);
    QString failure;
    WorkerPool::Worker* worker = pool.start(engineJob(input, output), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    while (!worker->ended()) {
        pollfd watched{worker->replyFd(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        worker->read();
    }

    EXPECT_FALSE(worker->result().converted);
    EXPECT_TRUE(worker->result().reason.contains(QString::fromUtf8(GetParam().reason)))
        << worker->result().reason.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("crafted.m4a"), QStringLiteral("made.m4a")}));
#ifndef __SANITIZE_ADDRESS__
    // What each asked for is gigabytes; an ordinary worker holds tens of
    // megabytes.
    const qint64 peak = peakMemoryMb(worker->pid());
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 300) << "megabytes";
#endif
}

INSTANTIATE_TEST_SUITE_P(Inputs, CraftedInput, ::testing::ValuesIn(crafted),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
