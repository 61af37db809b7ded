#include "BatchProcess.h"
#include "support/Media.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// A batch asks only for the tools it uses: the in-process engine needs no
// ffmpeg program, a constant rate no probe, and the same rate as each input
// the probe only for the inputs whose boxes do not tell it; those alone fail,
// naming the package to install.
TEST(BatchRate, OnlyTheToolsARunUsesAreAskedFor)
{
    QTemporaryDir dir;
    const QString loud = dir.filePath(QStringLiteral("loud.m4a"));
    const QString quiet = dir.filePath(QStringLiteral("quiet.m4a"));
    const QString wave = dir.filePath(QStringLiteral("plain.wav"));
    test::makeM4a(loud, 1.0, 160);
    test::makeM4a(quiet, 1.0, 64);
    test::makeWave(wave);
    const QString nothing = dir.filePath(QStringLiteral("nothing"));
    const QStringList noTools{QStringLiteral("PATH=") + nothing,
                              QStringLiteral("PLUMARK_EXIFTOOL=") + nothing + "/exiftool",
                              QStringLiteral("PLUMARK_FFMPEG=") + nothing + "/ffmpeg"};
    const QString ac3 = QStringLiteral(".ac3");
    const auto result = [&](const QString& input) {
        return input.left(input.lastIndexOf(QLatin1Char('.'))) + ac3;
    };

    const struct
    {
        QStringList arguments;
        int exitCode;
        int loudKbps, quietKbps; // the results' rates
        bool waveConverted;
    } cases[] = {
        {{loud, quiet}, 0, 160, 64, false},
        {{loud, quiet, wave}, 1, 160, 64, false},
        {{QStringLiteral("--bitrate"), QStringLiteral("192"), loud, quiet, wave},
         0,
         192,
         192,
         true},
    };
    for (const auto& c : cases) {
        for (const QString& input : {loud, quiet, wave})
            QFile::remove(result(input));
        const test::BatchResult run = test::runConvert(c.arguments, noTools);
        const std::string said = run.out.toStdString() + run.err.toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << said;
        EXPECT_EQ(test::probeMedia(result(loud)).bitRate, c.loudKbps * 1000) << said;
        EXPECT_EQ(test::probeMedia(result(quiet)).bitRate, c.quietKbps * 1000) << said;
        EXPECT_EQ(QFileInfo::exists(result(wave)), c.waveConverted) << said;
        // No file fell back to another rate.
        EXPECT_FALSE(run.out.contains(QLatin1String("fallback"))) << said;
        if (c.arguments.contains(wave) && !c.waveConverted) {
            EXPECT_TRUE(run.out.contains(wave + QStringLiteral(": Its own rate can only be read "
                                                               "by the probe here. The probe")) &&
                        run.out.contains(QLatin1String("\"libimage-exiftool-perl\"")))
                << said;
        }
    }
}

// Ctrl+C or a termination while the probe hangs on a file ends the batch at
// once; no file starts after the stop.
TEST(BatchRate, AStopDuringAHangingProbeStartsNothing)
{
    QTemporaryDir dir;
    const QString wave = dir.filePath(QStringLiteral("first.wav"));
    const QString song = dir.filePath(QStringLiteral("second.m4a"));
    test::makeWave(wave);
    test::makeM4a(song);
    const QString asked = dir.filePath(QStringLiteral("asked"));
    const QString probe = test::writeScript(
        dir.filePath(QStringLiteral("exiftool")),
        QStringLiteral("while read -r line; do\n"
                       "  case \"$line\" in -execute*) touch '%1'; exec sleep 60 ;; esac\n"
                       "done")
            .arg(asked));

    for (const int signalNumber : {SIGINT, SIGTERM}) {
        QFile::remove(asked);
        QElapsedTimer sinceStop;
        const test::BatchResult run =
            test::runConvert({QStringLiteral("--jobs"), QStringLiteral("2"), wave, song},
                             {QStringLiteral("PLUMARK_EXIFTOOL=") + probe}, [&](QProcess& process) {
                                 for (int i = 0; i < 400 && !QFileInfo::exists(asked); ++i)
                                     QThread::msleep(25);
                                 ::kill(pid_t(process.processId()), signalNumber);
                                 sinceStop.start();
                             });
        const std::string said = run.out.toStdString() + run.err.toStdString();
        EXPECT_LT(sinceStop.elapsed(), 5000) << said;
        EXPECT_EQ(run.exitCode, 130) << said;
        EXPECT_TRUE(run.out.contains(QLatin1String("Not started: 2"))) << said;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("first.ac3"))));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("second.ac3"))));
    }
}

} // namespace
} // namespace plumark
