#include "shell/WindowArguments.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace plumark {
namespace {

using Action = WindowArguments::Action;

TEST(WindowArguments, OptionsFilesAndUsageErrors)
{
    const struct
    {
        QStringList arguments;
        Action action;
        QStringList files;
    } cases[] = {
        {{}, Action::OpenWindow, {}},
        {{"a.m4a", "dir/b.m4a"}, Action::OpenWindow, {"a.m4a", "dir/b.m4a"}},
        {{"--", "-x.m4a", "--help"}, Action::OpenWindow, {"-x.m4a", "--help"}},
        {{"-"}, Action::OpenWindow, {"-"}},
        {{"--help"}, Action::ShowHelp, {}},
        {{"-h"}, Action::ShowHelp, {}},
        {{"a.m4a", "--help", "--version"}, Action::ShowHelp, {}},
        {{"--version"}, Action::ShowVersion, {}},
        {{"--bogus"}, Action::UsageError, {}},
        {{"-x.m4a"}, Action::UsageError, {}},
        {{"-hx"}, Action::UsageError, {}},
        {{"--version=2"}, Action::UsageError, {}},
        {{"-platform", "offscreen"}, Action::UsageError, {}},
    };
    for (const auto& c : cases) {
        const WindowArguments parsed = parseWindowArguments(c.arguments);
        const std::string given = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(parsed.action, c.action) << given;
        EXPECT_EQ(parsed.files, c.files) << given;
        EXPECT_EQ(parsed.error.isEmpty(), c.action != Action::UsageError) << given;
    }
}

// The built program, started as a user would start it from a terminal.
struct ProgramResult
{
    int exitCode = -1; // -1 when it crashed or aborted
    QString out;
    QStringList errLines;
};

ProgramResult runProgram(const QStringList& arguments, const QStringList& display)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& entry : display)
        environment.insert(entry.section(QLatin1Char('='), 0, 0),
                           entry.section(QLatin1Char('='), 1));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(PLUMARK_BINARY_DIR "/plumark"), arguments);
    if (!process.waitForFinished(30000))
        process.kill();
    process.waitForFinished();
    ProgramResult result;
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.errLines = QString::fromUtf8(process.readAllStandardError())
                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return result;
}

TEST(WindowArguments, HelpAndVersionNeedNoDisplayAndOpenNoWindow)
{
    const struct
    {
        QStringList arguments;
        QStringList display;
    } cases[] = {
        {{"--help"}, {}},
        {{"-h"}, {}},
        {{"--help"}, {"QT_QPA_PLATFORM=offscreen"}},
        {{"a.m4a", "-h"}, {"DISPLAY=:999"}},
    };
    for (const auto& c : cases) {
        const std::string given = c.arguments.join(QLatin1Char(' ')).toStdString();
        const ProgramResult help = runProgram(c.arguments, c.display);
        EXPECT_EQ(help.exitCode, 0) << given;
        EXPECT_EQ(help.out, windowUsage()) << given;
        EXPECT_TRUE(help.errLines.isEmpty()) << given;
    }
    EXPECT_TRUE(
        windowUsage().startsWith(QStringLiteral("Usage: plumark [OPTIONS] [--] [FILE...]")));
    EXPECT_TRUE(windowUsage().contains(QStringLiteral("plumark convert --help")));

    const ProgramResult version = runProgram({QStringLiteral("--version")}, {});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("plumark " PLUMARK_VERSION "\n"));
}

// Every refusal is one line on standard error and an exit status, never an
// abort and never a window.
TEST(WindowArguments, RefusalsAreOneLineAndAStatus)
{
    const struct
    {
        QStringList arguments;
        QStringList display;
        int exitCode;
        const char* says;
    } cases[] = {
        {{"--bogus"}, {"QT_QPA_PLATFORM=offscreen"}, 2, "Unknown option 'bogus'"},
        {{"-x.m4a"}, {}, 2, "Unknown option 'x.m4a'"},
        {{"--version=2"}, {}, 2, "--version"},
        {{}, {}, 1, "no display (DISPLAY and WAYLAND_DISPLAY are not set)"},
        {{"--", "-x.m4a"}, {}, 1, "no display"},
        {{"a.m4a"}, {"DISPLAY=:999"}, 1, "could not connect to display :999"},
        {{}, {"QT_QPA_PLATFORM=no-such-platform"}, 1, "no-such-platform"},
    };
    for (const auto& c : cases) {
        const std::string given = (c.display + c.arguments).join(QLatin1Char(' ')).toStdString();
        const ProgramResult result = runProgram(c.arguments, c.display);
        EXPECT_EQ(result.exitCode, c.exitCode) << given;
        EXPECT_TRUE(result.out.isEmpty()) << given;
        ASSERT_EQ(result.errLines.size(), 1)
            << given << ": " << result.errLines.join('|').toStdString();
        const QString line = result.errLines.first();
        EXPECT_TRUE(line.startsWith(QStringLiteral("plumark: "))) << given;
        EXPECT_TRUE(line.contains(QString::fromUtf8(c.says)))
            << given << ": " << line.toStdString();
        EXPECT_TRUE(line.contains(c.exitCode == 2
                                      ? QStringLiteral("plumark --help")
                                      : QStringLiteral("\"plumark convert\" needs no display")))
            << given;
    }
}

} // namespace
} // namespace plumark
