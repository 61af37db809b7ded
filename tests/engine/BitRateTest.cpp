#include "engine/BitRate.h"
#include "base/ErrorReport.h"
#include "engine/CommandOutput.h"
#include "engine/Tools.h"
#include "filelist/FileList.h"
#include "shell/MainForm.h"
#include "support/FakeWindow.h"
#include "support/Media.h"
#include "support/ScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace plumark;
using plumark::test::FakeWindow;
using plumark::test::ScopedEnvironment;

TEST(GetBitRate, TurnsARateTextIntoAToken)
{
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("128 kbps"), QStringLiteral("128k")},
        {QStringLiteral("128 KBPS"), QStringLiteral("128k")},
        {QStringLiteral("320 kbps"), QStringLiteral("320k")},
        {QStringLiteral("8 kbps"), QStringLiteral("8k")},
        {QString(), QString()},
        {QStringLiteral("  192k  "), QStringLiteral("192k")},
        {QStringLiteral(" 96 kbit "), QStringLiteral("96 kbit")},
    };
    for (const auto& [text, token] : cases)
        EXPECT_EQ(getBitRate(text), token) << text.toStdString();
}

TEST(RateFromProbeReport, ReadsTheLastUsableRateLine)
{
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("Audio Bitrate                   : 128 kbps\r\n"), QStringLiteral("128")},
        {QStringLiteral("Audio Bitrate : 128kbps"), QStringLiteral("128")},
        {QStringLiteral(
             "Audio Bitrate : 96 kbps\r\nFile Type : MP3\r\nAudio Bitrate : 160 kbps\r\n"),
         QStringLiteral("160")},
        {QStringLiteral("audio bitrate : 128 kbps\r\n"), QString()},
        {QStringLiteral("ExifTool Version Number         : 12.57\n"
                        "Audio Bits Per Sample           : 16\n"
                        "Avg Bitrate                     : 161 kbps\n"),
         QStringLiteral("161")},
        {QStringLiteral("Avg Bitrate : 161 kbps\r\nAudio Bitrate : 96 kbps\r\n"),
         QStringLiteral("96")},
        {QStringLiteral("Audio Bitrate : 96 kbps\nAvg Bitrate : 161 kbps\n"), QStringLiteral("96")},
        {QStringLiteral("Audio Bitrate : 1.41 Mbps\r\n"), QStringLiteral("1410")},
        {QStringLiteral("Avg Bitrate : 2 Mbps\n"), QStringLiteral("2000")},
        {QStringLiteral("Audio Bitrate : 130 kbps"), QStringLiteral("130")},
        {QString(), QString()},
        {QStringLiteral("Audio Bitrate :\r\n"), QString()},
        {QStringLiteral("Audio Bitrate :    \r\nAvg Bitrate : 161 kbps\r\n"), QString()},
        {QStringLiteral("Audio Bitrate 128 kbps\r\n"), QString()},
        {QStringLiteral("Audio Bitrate : 128 kbps\r\nAudio Bitrate : \r\n"), QString()},
        {QString::fromLatin1(CreateProcessFailedText), QString()},
        // Only the text before a line's colon is its tag name; names are values.
        {QStringLiteral("File Name                       : Audio Bitrate test.m4a\n"
                        "Directory                       : /music/Avg Bitrate\n"
                        "Avg Bitrate                     : 159 kbps\n"),
         QStringLiteral("159")},
        {QStringLiteral("File Name : Audio Bitrate 128 kbps.m4a\r\n"), QString()},
        {QStringLiteral("Title : Avg Bitrate: 96 kbps\r\n"), QString()},
        {QStringLiteral("  Audio Bitrate  : 96 kbps\r\n"), QStringLiteral("96")},
        {QStringLiteral("Audio Bitrate Mode : 96 kbps\r\n"), QString()},
    };
    for (const auto& [report, rate] : cases)
        EXPECT_EQ(rateFromProbeReport(report), rate) << report.toStdString();
}

class GetAudioBitRate : public ::testing::Test
{
protected:
    GetAudioBitRate() { window.rate = QStringLiteral("128 kbps"); }

    FakeWindow window;
    FileList list;
    MainForm form{window, list};
};

TEST_F(GetAudioBitRate, ReadsTheRateOfARealM4aWithTheRealProbe)
{
    const QString encoded = TemporaryFolder() + QStringLiteral("/encoded.m4a");
    const QString input = TemporaryFolder() + QStringLiteral("/input.m4a");
    test::makeM4a(encoded, 3.0, 160);
    // Without an edit list the stated length covers every encoded frame, so
    // the probe's average is the encoder's rate.
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"),
                           QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"),
                           encoded, QStringLiteral("-c"), QStringLiteral("copy"),
                           QStringLiteral("-use_editlist"), QStringLiteral("0"), input}),
        0);

    EXPECT_EQ(form.getAudioBitRate(input), QStringLiteral("160k"));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_GT(window.yields, 0);
}

TEST_F(GetAudioBitRate, ANameHoldingARateTagKeepsTheFilesOwnRate)
{
    const QString plain = TemporaryFolder() + QStringLiteral("/plain.m4a");
    test::makeM4a(plain, 1.0, 160);
    const QString rate = form.getAudioBitRate(plain);
    ASSERT_TRUE(rate.endsWith(QLatin1Char('k')));
    ASSERT_GT(rate.chopped(1).toInt(), 150);

    const QString folder = TemporaryFolder() + QStringLiteral("/Avg Bitrate/");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& name :
         {QStringLiteral("Audio Bitrate test.m4a"), QStringLiteral("Avg Bitrate: 8 kbps.m4a")}) {
        ASSERT_TRUE(QFile::copy(plain, folder + name));
        EXPECT_EQ(form.getAudioBitRate(folder + name), rate) << name.toStdString();
    }
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(GetAudioBitRate, FallsBackToTheConstantRateForAFileWithoutAudio)
{
    const QString input = TemporaryFolder() + QStringLiteral("/notes.txt");
    test::writeFile(input, "not audio\n");
    EXPECT_EQ(form.getAudioBitRate(input), QStringLiteral("128k"));
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(GetAudioBitRate, UsesWhatAProbeReportsOrTheConstantRate)
{
    struct Case
    {
        QString probeBody;
        QString rateText;
        QString token;
    };
    const QList<Case> cases = {
        {QStringLiteral("printf 'File Type : M4A\\r\\n'"), QStringLiteral("64 kbps"),
         QStringLiteral("64k")},
        {QStringLiteral("exit 0"), QStringLiteral("128 kbps"), QStringLiteral("128k")},
        {QStringLiteral("printf 'Audio Bitrate : 130 kbps\\r\\n'"), QStringLiteral("320 kbps"),
         QStringLiteral("130k")},
        {QStringLiteral("printf 'Audio Bitrate : 96 kbps\\r\\n' >&2"), QStringLiteral("64 kbps"),
         QStringLiteral("64k")},
    };
    const QString input = TemporaryFolder() + QStringLiteral("/input.m4a");
    for (const Case& c : cases) {
        ScopedEnvironment env;
        env.set(
            "PLUMARK_EXIFTOOL",
            test::writeScript(TemporaryFolder() + QStringLiteral("/probe"), c.probeBody).toUtf8());
        window.rate = c.rateText;
        EXPECT_EQ(form.getAudioBitRate(input), c.token) << c.probeBody.toStdString();
    }
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(GetAudioBitRate, ReportsAMissingProbeAndReturnsTheConstantRate)
{
    ScopedEnvironment env;
    env.set("PLUMARK_EXIFTOOL", "/nonexistent/exiftool");
    window.rate = QStringLiteral("96 kbps");

    EXPECT_EQ(form.getAudioBitRate(TemporaryFolder() + QStringLiteral("/input.m4a")),
              QStringLiteral("96k"));
    ASSERT_EQ(window.messages.size(), 1);
    const QString text = window.messages.at(0).text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("The probe \"/nonexistent/exiftool\"")));
    EXPECT_TRUE(text.contains(
        QStringLiteral("\r\nin Plumark2021/08/31.Form1.getAudioBitRate at line 2\r\r")))
        << text.toStdString();
    EXPECT_EQ(window.messages.at(0).title, QStringLiteral("Application Error"));
}
