#include "batch/BatchOptions.h"
#include "BatchProcess.h"

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
    const ParsedOptions parsed = parseBatchOptions(
        {QStringLiteral("--jobs"), QStringLiteral("3"), QStringLiteral("--bitrate=224 kbps"),
         QStringLiteral("--fallback"), QStringLiteral("64"), QStringLiteral("--output-dir"),
         QStringLiteral("out"), QStringLiteral("--ext"), QStringLiteral("*"),
         QStringLiteral("--keep-tree"), QStringLiteral("--skip-existing"),
         QStringLiteral("--dry-run"), QStringLiteral("--engine"), QStringLiteral("ffmpeg"),
         QStringLiteral("in"), QStringLiteral("--"), QStringLiteral("--odd.m4a")},
        2);
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    const BatchOptions& o = parsed.options;
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.rateToken, QStringLiteral("224k"));
    EXPECT_EQ(o.fallbackToken, QStringLiteral("64k"));
    EXPECT_EQ(o.outputFolder, QStringLiteral("out"));
    EXPECT_EQ(o.extension, QStringLiteral("*"));
    EXPECT_TRUE(o.keepTree && o.skipExisting && o.dryRun);
    EXPECT_EQ(o.engine, BatchOptions::Engine::Ffmpeg);
    EXPECT_EQ(o.paths, QStringList({QStringLiteral("in"), QStringLiteral("--odd.m4a")}));

    const BatchOptions defaults = parseBatchOptions({QStringLiteral("in")}, 4).options;
    EXPECT_EQ(defaults.jobs, 4);
    EXPECT_TRUE(defaults.rateToken.isEmpty());
    EXPECT_EQ(defaults.fallbackToken, QStringLiteral("128k"));
    EXPECT_EQ(defaults.extension, QStringLiteral("m4a"));
    EXPECT_EQ(defaults.engine, BatchOptions::Engine::Builtin);
}

// The program itself: status 2 and one line on standard error that names the
// wrong argument.
TEST(BatchOptions, UsageErrorsNameTheArgument)
{
    const struct
    {
        QStringList arguments;
        const char* named;
    } cases[] = {
        {{QStringLiteral("--jobs"), QStringLiteral("0"), QStringLiteral("in")}, "'0' for --jobs"},
        {{QStringLiteral("--bitrate"), QStringLiteral("loud"), QStringLiteral("in")},
         "'loud' for --bitrate"},
        {{QStringLiteral("--frobnicate"), QStringLiteral("in")}, "'--frobnicate'"},
        {{QStringLiteral("--engine"), QStringLiteral("fast"), QStringLiteral("in")},
         "'fast' for --engine"},
        {{QStringLiteral("in"), QStringLiteral("--jobs")}, "--jobs needs a value"},
        {{QStringLiteral("--dry-run=yes"), QStringLiteral("in")}, "--dry-run takes no value"},
        {{QStringLiteral("--output-dir"), QStringLiteral("/no/such/folder"), QStringLiteral("in")},
         "'/no/such/folder'"},
        {{}, "no file or folder given"},
    };
    for (const auto& c : cases) {
        const test::BatchResult result = test::runConvert(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.named;
        EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.named))) << result.err.toStdString();
        EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

TEST(BatchOptions, HelpAndVersion)
{
    const test::BatchResult help = test::runConvert({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: plumark convert")));
    const test::BatchResult version = test::runConvert({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("plumark " PLUMARK_VERSION "\n"));
}

} // namespace
} // namespace plumark
