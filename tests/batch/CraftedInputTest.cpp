// Small crafted inputs that ask a converter for gigabytes (tables of millions
// of samples, frames of minutes, a rate of gigahertz) or for endless audio (an
// edit list that plays the track again and again): each fails its file with
// its reason, and its worker's memory stays far below what it asked.
#include "BatchProcess.h"
#include "batch/WorkerPool.h"
#include "support/ConverterJob.h"
#include "support/Media.h"
#include "transcode/ConverterWorker.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

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
    const char* reason; // a part of the reason, as a pattern
    bool alac = false;
};

void PrintTo(const Crafted& c, std::ostream* os)
{
    *os << c.name;
}

// 85 million samples of six bytes each: the sample index alone would take
// 2 GB.
void declare85MillionSamples(Mp4& file)
{
    const QByteArray table = SampleTable;
    file.replace(table + "/stsz", fullBox("stsz", {6, 85'000'000}));
    file.replace(table + "/stsc", fullBox("stsc", {1, 1, 85'000'000, 1}));
    file.replace(table + "/stts", fullBox("stts", {1, 85'000'000, 1024}));
}

const Crafted crafted[] = {
    {"sample_table_of_85_million", declare85MillionSamples,
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
     // FFmpeg 9.0 reads fewer of the edits; each release refuses the list.
     "edit list plays [0-9.]+ s of audio from the 1.0 s its track holds: it repeats its audio"},
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

    WorkerPool pool(transcode::runConverterWorker, 1);
    QString failure;
    WorkerPool::Worker* worker = pool.start(engineJob(input, output), &failure);
    ASSERT_NE(worker, nullptr) << failure.toStdString();
    while (!worker->ended()) {
        pollfd watched{worker->replyFd(), POLLIN, 0};
        ::poll(&watched, 1, 1000);
        worker->read();
    }

    EXPECT_FALSE(worker->result().converted);
    EXPECT_TRUE(
        worker->result().reason.contains(QRegularExpression(QString::fromUtf8(GetParam().reason))))
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

// Makes an M4A of one second with the real ffmpeg, with extra options.
QByteArray madeM4a(const QString& path, const QStringList& options = {})
{
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                             QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                             QStringLiteral("-i"), QStringLiteral("sine=f=440:r=48000:d=1"),
                             QStringLiteral("-c:a"), QStringLiteral("aac")} +
                     options + QStringList{path});
    EXPECT_TRUE(ffmpeg.waitForFinished(60000));
    EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// What a batch said and the most memory it or any of its workers held.
struct MeasuredBatch
{
    int exitCode = -1;
    QString out;
    qint64 peakMb = -1;
};

// Runs the batch as a child of this process, so that its resource use,
// with that of the workers it reaped, is read when it ends.
MeasuredBatch runMeasured(const QStringList& arguments, const QString& outputFile)
{
    QList<QByteArray> words{QByteArrayLiteral(PLUMARK_BINARY_DIR "/plumark"), "convert"};
    for (const QString& argument : arguments)
        words.append(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const QByteArray output = QFile::encodeName(outputFile);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    MeasuredBatch measured;
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return measured;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return measured;
    measured.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    measured.peakMb = usage.ru_maxrss / 1024;
    QFile file(outputFile);
    if (file.open(QIODevice::ReadOnly))
        measured.out = QString::fromUtf8(file.readAll());
    return measured;
}

struct CraftedBatch
{
    const char* name;
    QStringList ffmpegOptions; // how the input to craft is made
    void (*craft)(Mp4& file);
    const char* reason; // a part of the reason, as a pattern
};

void PrintTo(const CraftedBatch& c, std::ostream* os)
{
    *os << c.name;
}

const CraftedBatch craftedBatches[] = {
    {"sample_table_of_85_million",
     {},
     declare85MillionSamples,
     "declares 85000000 samples, more than its"},
    // A fragment whose run claims 85 million samples of the default size: its
    // index alone would take 2 GB. Without the random-access index at the
    // end, every fragment is read when the file is opened.
    {"fragment_of_85_million",
     {QStringLiteral("-movflags"), QStringLiteral("frag_keyframe+empty_moov")},
     [](Mp4& file) {
         const qsizetype run = file.find("moof/traf/trun").constLast();
         const QByteArray offset = file.bytes().mid(run + 16, 4);
         file.replace("moof/traf/trun", box("trun", be32(1) + be32(85'000'000) + offset));
         file.replace("mfra", box("free", {}));
     },
     // FFmpeg 7.1 and later refuse such a fragment as it is read.
     "more memory than one conversion may use|Invalid data found when processing input"},
    // The one-second track played 3,000 times over: 50 minutes of result.
    {"edit_list_repeated_3000_times",
     {},
     [](Mp4& file) {
         QList<quint32> entries{3'000};
         for (int i = 0; i < 3'000; ++i)
             entries += {1000, 1024, 0x10000};
         file.replace("moov/trak/edts/elst", fullBox("elst", entries));
     },
     "repeats its audio"},
};

class CraftedBatchInput : public testing::TestWithParam<std::tuple<CraftedBatch, const char*>>
{
};

// A crafted input with a result already there (--skip-existing) is refused
// with its reason by either engine, before any converter starts: the batch
// and its workers stay far below what it asks, the old result stays and no
// other file is left.
TEST_P(CraftedBatchInput, IsRefusedWithTheBatchInBoundedMemory)
{
    const auto& [crafted, engine] = GetParam();
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    Mp4 file(madeM4a(dir.filePath(QStringLiteral("made.m4a")), crafted.ffmpegOptions));
    if (HasFatalFailure())
        return;
    crafted.craft(file);
    if (HasFatalFailure())
        return;
    const QString input = in + QStringLiteral("/crafted.m4a");
    writeFile(input, file.bytes());
    ASSERT_LT(QFileInfo(input).size(), 300 * 1024);
    // A whole AC3 result of another input stands at the output.
    const QString result = in + QStringLiteral("/crafted.ac3");
    madeM4a(dir.filePath(QStringLiteral("other.m4a")));
    const BatchResult made =
        runConvert({QStringLiteral("--bitrate"), QStringLiteral("192k"),
                    QStringLiteral("--output-dir"), in, dir.filePath(QStringLiteral("other.m4a"))});
    ASSERT_EQ(made.exitCode, 0) << made.out.toStdString();
    ASSERT_TRUE(QFile::rename(in + QStringLiteral("/other.ac3"), result));
    const QByteArray old = fileHash(result);

    const MeasuredBatch batch = runMeasured(
        {QStringLiteral("--engine"), QLatin1String(engine), QStringLiteral("--skip-existing"),
         QStringLiteral("--bitrate"), QStringLiteral("192k"), input},
        dir.filePath(QStringLiteral("summary")));
    EXPECT_EQ(batch.exitCode, 1) << batch.out.toStdString();
    EXPECT_TRUE(batch.out.contains(QStringLiteral("Not converted: 1"))) << batch.out.toStdString();
    EXPECT_TRUE(batch.out.contains(QRegularExpression(QString::fromUtf8(crafted.reason))))
        << batch.out.toStdString();
    EXPECT_EQ(fileHash(result), old);
    EXPECT_EQ(QDir(in).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("crafted.ac3"), QStringLiteral("crafted.m4a")}));
#ifndef __SANITIZE_ADDRESS__
    // What the input asks for is gigabytes; a batch and its workers hold
    // tens of megabytes.
    EXPECT_GT(batch.peakMb, 0);
    EXPECT_LT(batch.peakMb, 300) << "megabytes";
#endif
}

INSTANTIATE_TEST_SUITE_P(Inputs, CraftedBatchInput,
                         testing::Combine(testing::ValuesIn(craftedBatches),
                                          testing::Values("builtin", "ffmpeg")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param);
                         });

} // namespace
