#include "batch/RateProbe.h"
#include "engine/Paths.h"
#include "support/Media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace plumark {
namespace {

// The probe's starts, one line each, as a wrapper script logs them.
int startsIn(const QString& log)
{
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

// One probe reads every file's own rate, also for names that are no valid
// text or hold a line break.
TEST(RateProbe, OneProbeReadsEveryInput)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("starts"));
    const QString probe =
        test::writeScript(dir.filePath(QStringLiteral("exiftool")),
                          QStringLiteral("echo start >> '%1'\nexec exiftool \"$@\"").arg(log));
    const QString odd = pathFromNative(QFile::encodeName(dir.path()) + "/caf\xe9.m4a");
    const QString broken = dir.filePath(QStringLiteral("two\nlines.m4a"));
    test::makeM4a(dir.filePath(QStringLiteral("plain.m4a")), 1.0, 160);
    test::makeM4a(dir.filePath(QStringLiteral("low.m4a")), 1.0, 64);
    QFile::copy(dir.filePath(QStringLiteral("low.m4a")), broken);
    ASSERT_EQ(::rename(QFile::encodeName(dir.filePath(QStringLiteral("plain.m4a"))).constData(),
                       nativePath(odd).constData()),
              0);
    test::writeFile(dir.filePath(QStringLiteral("notes.m4a")), "no audio");

    const struct
    {
        QString input;
        double kbps; // 0: none found, the fallback
    } cases[] = {{odd, 160},
                 {dir.filePath(QStringLiteral("low.m4a")), 64},
                 {dir.filePath(QStringLiteral("notes.m4a")), 0},
                 {broken, 64},
                 {dir.filePath(QStringLiteral("missing.m4a")), 0}};
    const QString links = dir.filePath(QStringLiteral("links"));
    QDir().mkpath(links);
    RateProbe rates(probe, QStringLiteral("96k"), links);
    for (const auto& c : cases) {
        const RateProbe::Result found = rates.rateFor(c.input);
        EXPECT_TRUE(found.note.isEmpty()) << found.note.toStdString();
        if (c.kbps == 0) {
            EXPECT_EQ(found.token, QStringLiteral("96k"));
        } else {
            ASSERT_TRUE(found.token.endsWith(QLatin1Char('k')));
            EXPECT_NEAR(found.token.chopped(1).toDouble(), c.kbps, c.kbps * 0.2);
        }
    }
    // The name with a line break reaches the same probe through a link,
    // removed once read.
    EXPECT_EQ(startsIn(log), 1);
    EXPECT_TRUE(QDir(links).isEmpty());
}

// A probe that hangs or ends on a file is replaced; that file gets the
// fallback and a note, the next one its own rate.
TEST(RateProbe, HangingOrEndingProbeIsStartedAgain)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("starts"));
    const QString probe = test::writeScript(
        dir.filePath(QStringLiteral("exiftool")),
        QStringLiteral("echo start >> '%1'\n"
                       "while read -r line; do\n"
                       "  case \"$line\" in\n"
                       "  -execute*)\n"
                       "    case \"$file\" in\n"
                       "    *hang*) exec sleep 60 ;;\n"
                       "    *die*) exit 3 ;;\n"
                       "    esac\n"
                       "    exiftool \"$file\"; echo \"{ready${line#-execute}}\" ;;\n"
                       "  *) file=$line ;;\n"
                       "  esac\n"
                       "done")
            .arg(log));
    const QString good = dir.filePath(QStringLiteral("good.m4a"));
    test::makeM4a(good, 1.0, 64);

    // Long enough for the real probe on a loaded machine.
    RateProbe rates(probe, QStringLiteral("96k"), dir.path(), 5000);
    const struct
    {
        const char* name;
        const char* note; // empty for the input's own rate
    } cases[] = {{"hang.m4a", "no answer within 5 s"},
                 {"good.m4a", ""},
                 {"die.m4a", "ended while reading this file (exit code 3)"},
                 {"good.m4a", ""}};
    for (const auto& c : cases) {
        const RateProbe::Result found = rates.rateFor(dir.filePath(QString::fromUtf8(c.name)));
        EXPECT_TRUE(found.note.contains(QLatin1String(c.note))) << found.note.toStdString();
        EXPECT_EQ(found.note.isEmpty(), !*c.note) << c.name;
        EXPECT_EQ(found.token == QStringLiteral("96k"), *c.note != 0) << c.name;
    }
    EXPECT_EQ(startsIn(log), 3);
}

// Asking never waits: while a probe hangs the answer is simply not there
// yet, and dropping the request ends the probe. Without a probe the file
// fails with the reason given.
TEST(RateProbe, AskingDoesNotWaitAndCanBeDropped)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    const QString probe =
        test::writeScript(dir.filePath(QStringLiteral("exiftool")),
                          QStringLiteral("echo $$ > '%1'\nexec sleep 60").arg(pidFile));
    RateProbe rates(probe, QStringLiteral("96k"), dir.path());
    QElapsedTimer clock;
    clock.start();
    rates.ask(dir.filePath(QStringLiteral("a.wav")));
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(rates.poll().has_value());
    EXPECT_LT(clock.elapsed(), 2000);
    for (int i = 0; i < 100 && !QFile::exists(pidFile); ++i)
        QThread::msleep(20);
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(file.readAll().trimmed().toInt());
    rates.cancel();
    EXPECT_FALSE(rates.poll().has_value());
    // Ended (and reaped by its parent's QProcess).
    EXPECT_NE(::kill(pid, 0), 0);

    RateProbe none({}, QStringLiteral("96k"), dir.path(), 1000, QStringLiteral("no probe here"));
    none.ask(dir.filePath(QStringLiteral("a.wav")));
    const std::optional<RateProbe::Result> found = none.poll();
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->failure, QStringLiteral("no probe here"));
}

} // namespace
} // namespace plumark
