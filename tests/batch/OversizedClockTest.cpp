// The converter's output repeats the input's own tags, so a "time=" with more
// hours than a number can hold may reach the progress reader. It is no time:
// the progress stays a finite share within 0..1.
#include "batch/ConverterOutput.h"

#include <gtest/gtest.h>

namespace plumark {
namespace {

const QString hugeClock = QString(400, QLatin1Char('9')) + QStringLiteral(":00:00.00");

TEST(OversizedClock, IsNoTime)
{
    EXPECT_EQ(secondsFromClock(hugeClock), -1);
    EXPECT_EQ(secondsFromClock(QStringLiteral("00:01:02.50")), 62.5);
}

TEST(OversizedClock, LeavesTheProgressWithinRange)
{
    ConverterProgress progress;
    progress.readLine(QStringLiteral("  Duration: ") + hugeClock + QStringLiteral(", start: 0"));
    progress.readLine(QStringLiteral("    title           : size= time=") + hugeClock);
    EXPECT_EQ(progress.fraction(), -1);

    progress.readLine(QStringLiteral("  Duration: 00:00:02.00, start: 0.000000"));
    progress.readLine(QStringLiteral("size=       8kB time=00:00:01.00 bitrate=  64.3kbits/s"));
    progress.readLine(QStringLiteral("    title           : size= time=") + hugeClock);
    EXPECT_EQ(progress.position(), 1.0);
    EXPECT_EQ(progress.fraction(), 0.5);
}

} // namespace
} // namespace plumark
