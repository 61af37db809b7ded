// The converter reports a result it could not write (a full disk) but still
// exits with 0; such a result is cut short and must not count as converted.
#include "engine/ConversionRules.h"
#include "support/Media.h"
#include "support/QStringPrinter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;

namespace {

struct WriteFailureLog
{
    const char* name;
    QByteArray log;
    QString reason;
};

class ConverterWriteFailureTest : public testing::TestWithParam<WriteFailureLog>
{
};

TEST_P(ConverterWriteFailureTest, ResultCutShortIsNotConverted)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("a.ac3"));
    test::writeFile(output, QByteArray(8192, '\x0b'));
    EXPECT_EQ(conversionFailureReason(0, output, lastErrorLine(GetParam().log)), GetParam().reason);
}

const QByteArray progress = "size=       0kB time=00:00:00.00 bitrate=N/A speed=   0x    \r";
const QByteArray stats = "video:0kB audio:16kB subtitle:0kB other streams:0kB global headers:0kB "
                         "muxing overhead: unknown\n";

INSTANTIATE_TEST_SUITE_P(
    Logs, ConverterWriteFailureTest,
    testing::Values(
        WriteFailureLog{"TrailerAndClose",
                        progress + "Error writing trailer of /o/a.ac3: No space left on device\n" +
                            "size=       8kB time=00:00:01.01 bitrate=  64.3kbits/s speed= 301x\n" +
                            stats + "Error closing file /o/a.ac3: No space left on device\n",
                        QStringLiteral("Error closing file /o/a.ac3: No space left on device")},
        WriteFailureLog{"TrailerOnly",
                        progress + "Error writing trailer of /o/a.ac3: Input/output error\n" +
                            stats,
                        QStringLiteral("Error writing trailer of /o/a.ac3: Input/output error")},
        WriteFailureLog{"WrittenWhole", progress + stats, QString()}),
    [](const testing::TestParamInfo<WriteFailureLog>& info) {
        return std::string(info.param.name);
    });

} // namespace
