#include "engine/CommandLine.h"
#include "engine/CommandOutput.h"
#include "engine/RunAndWait.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;

namespace {

struct ConverterCase
{
    QString converter, input, rate, output, text;
};

void PrintTo(const ConverterCase& c, std::ostream* os)
{
    PrintTo(c.text, os);
}

class ConverterCommandTest : public testing::TestWithParam<ConverterCase>
{
};

TEST_P(ConverterCommandTest, TextAndArguments)
{
    const ConverterCase& c = GetParam();
    const CommandLine command = converterCommand(c.converter, c.input, c.rate, c.output);
    EXPECT_EQ(command.text, c.text);
    EXPECT_EQ(command.argv,
              (QStringList{c.converter, "-i", c.input, "-ab", c.rate, "-acodec", "ac3", c.output}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConverterCommandTest,
    testing::Values(
        ConverterCase{
            "/tmp/t/ffmpeg.exe", "/music/song.m4a", "192k", "/out/song.ac3",
            R"("/tmp/t/ffmpeg.exe" -i "/music/song.m4a" -ab 192k -acodec ac3 "/out/song.ac3")"},
        ConverterCase{
            "/opt/my tools/ffmpeg.exe", "/music/a b/c d.m4a", "8k", "/o u t/c d.ac3",
            R"("/opt/my tools/ffmpeg.exe" -i "/music/a b/c d.m4a" -ab 8k -acodec ac3 "/o u t/c d.ac3")"},
        ConverterCase{"f", "say \"hi\".m4a", "320k", "-x.ac3",
                      R"("f" -i "say "hi".m4a" -ab 320k -acodec ac3 "-x.ac3")"}));

TEST(ProbeCommandTest, TextAndArguments)
{
    const CommandLine command = probeCommand("/tmp/t/exiftool.exe", "/music/a \"b\".m4a");
    EXPECT_EQ(command.text, R"("/tmp/t/exiftool.exe" "/music/a "b".m4a")");
    EXPECT_EQ(command.argv, (QStringList{"/tmp/t/exiftool.exe", "/music/a \"b\".m4a"}));
}

// Paths that a shell or a split command line would change.
const QString OddFolder = QString::fromUtf8("odd \"q\" $(touch pwned) `touch pwned2` $HOME\n-Ü");
const QString OddName = QString::fromUtf8("-песня 漢字 \"x\" $(id) `id`\n'.m4a");

TEST(ChildArgumentsTest, OddPathsReachTheConverterUnchanged)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/' + OddFolder;
    const QString tool =
        test::writeScript(folder + "/ffmpeg.exe", R"(printf '%s\0' "$@" > "${0%/*}/arguments")");
    const CommandLine command =
        converterCommand(tool, folder + '/' + OddName, "96k", folder + "/-" + OddName + ".ac3");

    ASSERT_EQ(RunAndWait(command, 0, nullptr, {}, 0, 1, {}), 0);

    QFile written(folder + "/arguments");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QStringList received = QString::fromUtf8(written.readAll()).split(QChar(0));
    received.removeLast();
    EXPECT_EQ(received, command.argv.mid(1));
}

TEST(ChildArgumentsTest, OddPathsReachTheProbeUnchanged)
{
    QTemporaryDir dir;
    const QString tool =
        test::writeScript(dir.path() + '/' + OddFolder + "/exiftool.exe", R"(printf '%s\0' "$@")");
    const QString input = dir.path() + '/' + OddName;

    const QString output = GetCommandOutput(probeCommand(tool, input), true, false, true);

    EXPECT_EQ(output, input + QChar(0));
}

} // namespace
