#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace plumark::test {

// What one run of "plumark convert" gave.
struct BatchResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The built program, and a test build of it whose converter workers fail as
// told (tests/batch/faults).
inline const QString BuiltProgram = QStringLiteral(PLUMARK_BINARY_DIR "/plumark");
inline const QString FaultyProgram = QStringLiteral(PLUMARK_BINARY_DIR "/tests/plumark_faults");

// Runs program with "convert" and the arguments. extraEnvironment holds
// "NAME=value" entries added to this process's environment. whileRunning,
// when given, is called with the started process before the run is awaited;
// a fatal failure in it ends the run at once. An empty working directory is
// this process's own. standardInput is what the program reads on its
// standard input.
inline BatchResult runProgramConvert(const QString& program, const QStringList& arguments,
                                     const QStringList& extraEnvironment = {},
                                     const std::function<void(QProcess&)>& whileRunning = {},
                                     const QString& workingDirectory = {},
                                     const QByteArray& standardInput = {})
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : extraEnvironment)
        environment.insert(entry.section(QLatin1Char('='), 0, 0),
                           entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setArguments(QStringList{QStringLiteral("convert")} + arguments);
    if (standardInput.isEmpty())
        process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    process.waitForStarted();
    if (!standardInput.isEmpty()) {
        process.write(standardInput);
        process.closeWriteChannel();
    }
    if (whileRunning)
        whileRunning(process);
    if (testing::Test::HasFatalFailure())
        process.kill();
    process.waitForFinished(120000);
    BatchResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// The same with the built program.
inline BatchResult runConvert(const QStringList& arguments,
                              const QStringList& extraEnvironment = {},
                              const std::function<void(QProcess&)>& whileRunning = {},
                              const QString& workingDirectory = {},
                              const QByteArray& standardInput = {})
{
    return runProgramConvert(BuiltProgram, arguments, extraEnvironment, whileRunning,
                             workingDirectory, standardInput);
}

} // namespace plumark::test
