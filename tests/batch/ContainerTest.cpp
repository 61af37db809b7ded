#include "BatchProcess.h"
#include "support/Media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// Every kind of tag an album track carries, some of them beyond Latin-1.
const QMap<QString, QString> Tags = {
    {QStringLiteral("title"), QStringLiteral("Tïtle ☃ 曲")},
    {QStringLiteral("artist"), QStringLiteral("Ärtist")},
    {QStringLiteral("album"), QStringLiteral("Albüm")},
    {QStringLiteral("album_artist"), QStringLiteral("Album Ärtist")},
    {QStringLiteral("track"), QStringLiteral("3/12")},
    {QStringLiteral("disc"), QStringLiteral("1/2")},
    {QStringLiteral("date"), QStringLiteral("2021")},
    {QStringLiteral("genre"), QStringLiteral("Jazz")},
    {QStringLiteral("composer"), QStringLiteral("Cömposer")},
    {QStringLiteral("comment"), QStringLiteral("A cömment")},
    {QStringLiteral("lyrics"), QStringLiteral("la la")},
};

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A tagged M4A with a small cover picture ("png" or "jpg") attached.
void makeTaggedM4a(const QString& path, const QString& cover)
{
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("testsrc=size=32x32:rate=1"), QStringLiteral("-frames:v"),
         QStringLiteral("1"), cover});
    QStringList arguments = {QStringLiteral("-nostdin"),
                             QStringLiteral("-v"),
                             QStringLiteral("error"),
                             QStringLiteral("-y"),
                             QStringLiteral("-f"),
                             QStringLiteral("lavfi"),
                             QStringLiteral("-i"),
                             QStringLiteral("sine=frequency=440:duration=1.3"),
                             QStringLiteral("-i"),
                             cover,
                             QStringLiteral("-map"),
                             QStringLiteral("0:a"),
                             QStringLiteral("-map"),
                             QStringLiteral("1:v"),
                             QStringLiteral("-c:a"),
                             QStringLiteral("aac"),
                             QStringLiteral("-b:a"),
                             QStringLiteral("96k"),
                             QStringLiteral("-c:v"),
                             QStringLiteral("copy"),
                             QStringLiteral("-disposition:v"),
                             QStringLiteral("attached_pic")};
    for (auto tag = Tags.cbegin(); tag != Tags.cend(); ++tag)
        arguments << QStringLiteral("-metadata") << tag.key() + QLatin1Char('=') + tag.value();
    run(QStringLiteral("ffmpeg"), arguments << path);
}

// What ffprobe reads from a result: its tags (names in lower case, as
// Matroska keeps them in upper case) and its streams.
struct Probed
{
    QMap<QString, QString> tags;
    QJsonArray streams;
};

Probed probe(const QString& path)
{
    const QJsonObject report =
        QJsonDocument::fromJson(
            run(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                 QStringLiteral("format_tags:stream=codec_name,codec_type:stream_disposition="
                                "attached_pic:stream_tags"),
                 QStringLiteral("-of"), QStringLiteral("json"), path}))
            .object();
    Probed probed;
    const QJsonObject tags =
        report.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    for (auto tag = tags.constBegin(); tag != tags.constEnd(); ++tag)
        probed.tags.insert(tag.key().toLower(), tag.value().toString());
    probed.streams = report.value(QStringLiteral("streams")).toArray();
    return probed;
}

// One stream of a result (stream "0:a" or "0:v"), as the ffmpeg program
// takes it out in the given format.
QByteArray innerStream(const QString& result, const QString& folder, const QString& stream,
                       const QString& format)
{
    const QString extracted = folder + QStringLiteral("/inner.") + format;
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
         QStringLiteral("-y"), QStringLiteral("-i"), result, QStringLiteral("-map"), stream,
         QStringLiteral("-c"), QStringLiteral("copy"), QStringLiteral("-f"), format, extracted});
    return fileBytes(extracted);
}

// The AC3 stream a result holds.
QByteArray innerAc3(const QString& result, const QString& folder)
{
    return innerStream(result, folder, QStringLiteral("0:a"), QStringLiteral("ac3"));
}

// The cover a result holds.
QByteArray innerCover(const QString& result, const QString& folder)
{
    return innerStream(result, folder, QStringLiteral("0:v"), QStringLiteral("data"));
}

struct ContainerCase
{
    const char* container;
    const char* engine;
    const char* cover;     // the input's cover: "png" or "jpg"
    const char* coverName; // a Matroska attachment's name; empty for MP4
    const char* mimeType;
};

class Containers : public testing::TestWithParam<ContainerCase>
{
};

// The result holds the plain result's AC3 stream byte for byte, every tag of
// the input and its cover, and is left whole under its own name only.
TEST_P(Containers, KeepTheAc3StreamEveryTagAndTheCover)
{
    const ContainerCase& row = GetParam();
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in/song.m4a"));
    QDir().mkpath(dir.filePath(QStringLiteral("in")));
    const QString cover = dir.filePath(QStringLiteral("cover.") + QLatin1String(row.cover));
    makeTaggedM4a(input, cover);
    const QString engine = QLatin1String(row.engine);

    const test::BatchResult plain =
        test::runConvert({QStringLiteral("--engine"), engine, QStringLiteral("--output-dir"),
                          dir.filePath(QStringLiteral("plain")), input});
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const test::BatchResult contained =
        test::runConvert({QStringLiteral("--engine"), engine, QStringLiteral("--container"),
                          QLatin1String(row.container), QStringLiteral("--output-dir"),
                          dir.filePath(QStringLiteral("out")), input});
    ASSERT_EQ(contained.exitCode, 0) << contained.err.toStdString();
    EXPECT_EQ(contained.err, QString());

    const QString result = dir.filePath(QStringLiteral("out/song.") + QLatin1String(row.container));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("out")))
                  .entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QFileInfo(result).fileName()});
    EXPECT_EQ(innerAc3(result, dir.path()),
              fileBytes(dir.filePath(QStringLiteral("plain/song.ac3"))));

    const Probed probed = probe(result);
    for (auto tag = Tags.cbegin(); tag != Tags.cend(); ++tag)
        EXPECT_EQ(probed.tags.value(tag.key()), tag.value()) << tag.key().toStdString();
    ASSERT_EQ(probed.streams.size(), 2);
    EXPECT_EQ(probed.streams[0].toObject().value(QStringLiteral("codec_name")).toString(),
              QStringLiteral("ac3"));
    const QJsonObject picture = probed.streams[1].toObject();
    EXPECT_EQ(picture.value(QStringLiteral("codec_name")).toString(),
              QLatin1String(row.cover) == QLatin1String("png") ? QStringLiteral("png")
                                                               : QStringLiteral("mjpeg"));
    EXPECT_EQ(picture.value(QStringLiteral("disposition"))
                  .toObject()
                  .value(QStringLiteral("attached_pic"))
                  .toInt(),
              1);
    const QJsonObject pictureTags = picture.value(QStringLiteral("tags")).toObject();
    EXPECT_EQ(pictureTags.value(QStringLiteral("filename")).toString(),
              QLatin1String(row.coverName));
    EXPECT_EQ(pictureTags.value(QStringLiteral("mimetype")).toString(),
              QLatin1String(row.mimeType));
    EXPECT_EQ(innerCover(result, dir.path()), fileBytes(cover));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, Containers,
    testing::Values(ContainerCase{"mka", "builtin", "png", "cover.png", "image/png"},
                    ContainerCase{"mka", "builtin", "jpg", "cover.jpg", "image/jpeg"},
                    ContainerCase{"mp4", "builtin", "png", "", ""},
                    ContainerCase{"mp4", "builtin", "jpg", "", ""},
                    ContainerCase{"mp4", "ffmpeg", "jpg", "", ""}));

class ContainerResults : public testing::TestWithParam<const char*>
{
};

// --skip-existing keeps a whole Matroska or MP4 result and converts again
// over one that was cut short.
TEST_P(ContainerResults, SkipExistingKeepsAWholeResultOnly)
{
    const QString container = QLatin1String(GetParam());
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("song.m4a"));
    makeTaggedM4a(input, dir.filePath(QStringLiteral("cover.png")));
    const QStringList arguments = {QStringLiteral("--container"), container,
                                   QStringLiteral("--skip-existing"), input};
    ASSERT_EQ(test::runConvert(arguments).exitCode, 0);
    const QString result = dir.filePath(QStringLiteral("song.") + container);
    const QByteArray whole = fileBytes(result);
    const QByteArray wholeAc3 = innerAc3(result, dir.path());

    const test::BatchResult again = test::runConvert(arguments);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("Skipped: 1 ("))) << again.out.toStdString();

    // Cut within its audio, and cut by a few bytes only.
    for (const qint64 cut : {whole.size() / 2, whole.size() - 4}) {
        test::writeFile(result, whole.left(cut));
        const test::BatchResult redone = test::runConvert(arguments);
        EXPECT_EQ(redone.exitCode, 0);
        EXPECT_TRUE(redone.out.contains(QStringLiteral("Converted: 1 of 1")))
            << cut << redone.out.toStdString();
        EXPECT_EQ(innerAc3(result, dir.path()), wholeAc3);
        EXPECT_EQ(fileBytes(result).size(), whole.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Batch, ContainerResults, testing::Values("mka", "mp4"));

// --dry-run prints the ffmpeg program's command for the container, and
// writes nothing.
TEST(BatchContainer, DryRunPrintsTheContainersCommandLine)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("a.m4a"));
    test::writeFile(input, "input");
    const struct
    {
        const char* container;
        const char* options;
    } lines[] = {{"mp4", " -c:v copy"}, {"mka", " -vn"}};
    for (const auto& line : lines) {
        const test::BatchResult result = test::runConvert(
            {QStringLiteral("--dry-run"), QStringLiteral("--bitrate"), QStringLiteral("192"),
             QStringLiteral("--container"), QLatin1String(line.container), input});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.endsWith(
            QStringLiteral(" -i \"") + input + QLatin1Char('"') + QLatin1String(line.options) +
            QStringLiteral(" -ab 192k -acodec ac3 \"") + dir.filePath(QStringLiteral("a.")) +
            QLatin1String(line.container) + QStringLiteral("\"\n")))
            << result.out.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.m4a"});
}

} // namespace
} // namespace plumark
