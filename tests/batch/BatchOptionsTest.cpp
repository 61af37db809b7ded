#include "batch/BatchOptions.h"
#include "BatchProcess.h"
#include "support/Media.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace plumark {
namespace {

TEST(BatchOptions, RatesAreReadInEveryForm)
{
    const struct
    {
        const char* text;
        const char* token;
    } cases[] = {{"192", "192k"},  {"192k", "192k"}, {"192 kbps", "192k"}, {"192 KBPS", "192k"},
                 {" 96k ", "96k"}, {"0", ""},        {"fast", ""},         {"-5", ""},
                 {"192 kb", ""},   {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(rateTokenFromText(QString::fromUtf8(c.text)), QString::fromUtf8(c.token))
            << c.text;
}

TEST(BatchOptions, ReadsEveryOption)
{
    const ParsedOptions parsed = parseBatchOptions({QStringLiteral("--jobs"),
                                                    QStringLiteral("3"),
                                                    QStringLiteral("--bitrate=224 kbps"),
                                                    QStringLiteral("--fallback"),
                                                    QStringLiteral("64"),
                                                    QStringLiteral("--output-dir"),
                                                    QStringLiteral("out"),
                                                    QStringLiteral("--ext"),
                                                    QStringLiteral("*"),
                                                    QStringLiteral("--keep-tree"),
                                                    QStringLiteral("--skip-existing"),
                                                    QStringLiteral("--dry-run"),
                                                    QStringLiteral("--engine"),
                                                    QStringLiteral("ffmpeg"),
                                                    QStringLiteral("--container"),
                                                    QStringLiteral("mp4"),
                                                    QStringLiteral("in"),
                                                    QStringLiteral("--files-from"),
                                                    QStringLiteral("-"),
                                                    QStringLiteral("-0"),
                                                    QStringLiteral("--"),
                                                    QStringLiteral("--odd.m4a"),
                                                    QStringLiteral("-")},
                                                   2);
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const BatchOptions& o = parsed.options;
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.rateToken, QStringLiteral("224k"));
    EXPECT_EQ(o.fallbackToken, QStringLiteral("64k"));
    EXPECT_EQ(o.outputFolder, QStringLiteral("out"));
    EXPECT_EQ(o.extension, QStringLiteral("*"));
    EXPECT_TRUE(o.keepTree && o.skipExisting && o.dryRun && o.nullSeparated);
    EXPECT_EQ(o.filesFrom, QStringLiteral("-"));
    EXPECT_EQ(o.converter, BatchOptions::Converter::Ffmpeg);
    EXPECT_EQ(o.container, transcode::Container::Mp4);
    EXPECT_EQ(o.paths, QStringList({QStringLiteral("in"), QStringLiteral("--odd.m4a"),
                                    QStringLiteral("-")}));

    // Short forms, also run together; the last of a repeated option counts.
    const BatchOptions shortForms =
        parseBatchOptions({QStringLiteral("-0j3"), QStringLiteral("--files-from=list"),
                           QStringLiteral("-j"), QStringLiteral("5"), QStringLiteral("-h")},
                          2)
            .options;
    EXPECT_EQ(shortForms.jobs, 5);
    EXPECT_TRUE(shortForms.nullSeparated && shortForms.help);
    EXPECT_EQ(shortForms.filesFrom, QStringLiteral("list"));
    EXPECT_TRUE(shortForms.paths.isEmpty());

    const BatchOptions defaults = parseBatchOptions({QStringLiteral("in")}, 4).options;
    EXPECT_EQ(defaults.jobs, 4);
    EXPECT_TRUE(defaults.rateToken.isEmpty());
    EXPECT_EQ(defaults.fallbackToken, QStringLiteral("128k"));
    EXPECT_EQ(defaults.extension, QStringLiteral("m4a"));
    EXPECT_EQ(defaults.converter, BatchOptions::Converter::Builtin);
}

// The program itself: status 2 and one line on standard error that names the
// wrong argument.
TEST(BatchOptions, UsageErrorsNameTheArgument)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    test::writeFile(file, "a file, not a folder");
    const struct
    {
        QStringList arguments;
        QString named;
    } cases[] = {
        {{QStringLiteral("--jobs"), QStringLiteral("0"), QStringLiteral("in")}, "'0' for --jobs"},
        {{QStringLiteral("-j"), QStringLiteral("two"), QStringLiteral("in")}, "'two' for --jobs"},
        {{QStringLiteral("--bitrate"), QStringLiteral("loud"), QStringLiteral("in")},
         "'loud' for --bitrate"},
        {{QStringLiteral("--frobnicate"), QStringLiteral("in")}, "'frobnicate'"},
        {{QStringLiteral("--engine"), QStringLiteral("fast"), QStringLiteral("in")},
         "'fast' for --engine"},
        {{QStringLiteral("--container"), QStringLiteral("m4a"), QStringLiteral("in")},
         "'m4a' for --container"},
        {{QStringLiteral("--engine"), QStringLiteral("ffmpeg"), QStringLiteral("--container"),
          QStringLiteral("mka"), QStringLiteral("in")},
         "--engine ffmpeg cannot attach the cover art to a Matroska result"},
        {{QStringLiteral("in"), QStringLiteral("--jobs")}, "'--jobs'"},
        {{QStringLiteral("--dry-run=yes"), QStringLiteral("in")}, "'--dry-run'"},
        {{QStringLiteral("--output-dir"), file + QStringLiteral("/out"), QStringLiteral("in")},
         "\"" + file + "\" is a file, not a folder"},
        {{QStringLiteral("--files-from"), dir.filePath(QStringLiteral("missing"))},
         "No such file or directory"},
        {{QStringLiteral("--null"), QStringLiteral("in")}, "--null needs --files-from"},
        {{}, "no file or folder given; see plumark convert --help"},
    };
    for (const auto& c : cases) {
        const test::BatchResult result = test::runConvert(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.named.toStdString();
        EXPECT_TRUE(result.err.contains(c.named)) << result.err.toStdString();
        EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST(BatchOptions, HelpAndVersion)
{
    const test::BatchResult help = test::runConvert({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: plumark convert")));
    for (const char* option : {"--ext", "--bitrate", "--fallback", "--output-dir", "--keep-tree",
                               "--files-from", "-0, --null", "-j, --jobs", "--skip-existing",
                               "--container", "--dry-run", "-h, --help", "--version"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
    const test::BatchResult version = test::runConvert({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("plumark " PLUMARK_VERSION "\n"));
}

} // namespace
} // namespace plumark
