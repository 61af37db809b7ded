// What ffmpeg 5.1, 7.1 and 9.0 print on the failures a user meets, as each
// printed it for "-i IN -ab RATE -acodec ac3 OUT" (converter-output/<release>/):
// the reason shown is the line that says what went wrong, never a line that
// only follows it, and a converter that ends with 0 without a result is named
// by its refusal.
#include "engine/ConversionRules.h"
#include "support/QStringPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace plumark;

namespace {

// One recorded failure: a few lines of settings ("exit: N", "result: folder"
// where a folder holds the result's name, "reason: ..."), a blank line, and
// the converter's error output from shortly before the cause to its end.
struct Recorded
{
    qint32 exitCode = -1;
    bool resultIsFolder = false;
    QString reason;
    QByteArray errorOutput;
};

Recorded read(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray text = file.readAll();
    const qsizetype split = text.indexOf("\n\n");
    Recorded recorded;
    recorded.errorOutput = text.mid(split + 2);
    for (const QByteArray& line : text.left(split).split('\n')) {
        if (line.startsWith("exit: "))
            recorded.exitCode = line.mid(6).toInt();
        else if (line == "result: folder")
            recorded.resultIsFolder = true;
        else if (line.startsWith("reason: "))
            recorded.reason = QString::fromUtf8(line.mid(8));
    }
    return recorded;
}

TEST(ConverterMessages, TheReasonIsTheLineThatNamesTheCause)
{
    const QDir recordings(QStringLiteral(PLUMARK_SOURCE_DIR "/tests/engine/converter-output"));
    const QStringList releases{QStringLiteral("5.1"), QStringLiteral("7.1"), QStringLiteral("9.0")};
    int cases = 0;
    for (const QString& release : releases) {
        const QDir folder(recordings.filePath(release));
        const QStringList names = folder.entryList({QStringLiteral("*.txt")}, QDir::Files);
        EXPECT_EQ(names.size(), 11) << release.toStdString();
        for (const QString& name : names) {
            SCOPED_TRACE((release + QLatin1Char('/') + name).toStdString());
            const Recorded recorded = read(folder.filePath(name));
            ASSERT_FALSE(recorded.reason.isEmpty());
            QTemporaryDir out;
            const QString result = out.filePath(QStringLiteral("a.ac3"));
            if (recorded.resultIsFolder) {
                ASSERT_TRUE(QDir().mkdir(result));
            }
            EXPECT_EQ(conversionFailureReason(recorded.exitCode, result,
                                              lastErrorLine(recorded.errorOutput)),
                      recorded.reason);
            ++cases;
        }
    }
    EXPECT_EQ(cases, 33);
}

} // namespace
