#include "Corpus.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace plumark::test {

int runFfmpeg(const QStringList& arguments, QByteArray* errorOutput)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral("ffmpeg"), arguments);
    process.waitForFinished(-1);
    if (errorOutput)
        *errorOutput = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void generate(const QString& path, const QStringList& arguments)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray errors;
    const int code = runFfmpeg(QStringList{QStringLiteral("-nostdin"), QStringLiteral("-y"),
                                           QStringLiteral("-loglevel"), QStringLiteral("error")} +
                                   arguments + QStringList{path},
                               &errors);
    ASSERT_EQ(code, 0) << "generating " << path.toStdString() << ": " << errors.toStdString();
}

} // namespace plumark::test
