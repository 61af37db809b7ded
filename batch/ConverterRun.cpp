#include "batch/ConverterRun.h"

#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/Paths.h"
#include "engine/ReadAvailable.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

// How long a converter that closed its error output gets to end at each look.
constexpr int EndingWaitMs = 20;
constexpr int TerminateWaitMs = 5000;
constexpr int KillWaitMs = 2000;

} // namespace

std::unique_ptr<JobRun> ConverterRun::start(const QString& converterPath, const BatchJob& job,
                                            QString* failure)
{
    const CommandLine command =
        converterCommand(converterPath, job.input, job.rateToken, job.output);
    std::unique_ptr<ConverterRun> run(new ConverterRun(job.output));
    int fds[2];
    int error = ::pipe2(fds, O_CLOEXEC) == 0 ? 0 : errno;
    if (!error) {
        run->m_errorFd = fds[0];
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        error = run->m_child.start(command.argv, -1, fds[1]);
        ::close(fds[1]);
    }
    if (error) {
        *failure = conversionFailureReason(startFailureCode(error), job.output, {});
        return nullptr;
    }
    return run;
}

ConverterRun::~ConverterRun()
{
    closeOutput();
}

void ConverterRun::closeOutput()
{
    if (m_errorFd >= 0)
        ::close(m_errorFd);
    m_errorFd = -1;
}

void ConverterRun::read()
{
    if (m_errorFd < 0)
        return;
    const bool closed = readAvailable(m_errorFd, [&](const QByteArray& bytes) {
        m_tail.append(bytes);
        for (const QString& line : m_lines.feed(bytes))
            m_progress.readLine(line);
        return true;
    });
    if (closed) {
        for (const QString& line : m_lines.finish())
            m_progress.readLine(line);
        closeOutput();
    }
}

bool ConverterRun::ended()
{
    // The error output closes when the converter ends; a child that handed
    // it on to one of its own still has its end noticed here.
    return m_errorFd < 0 ? m_child.waitFor(EndingWaitMs) : m_child.poll();
}

QString ConverterRun::failure()
{
    read();
    return conversionFailureReason(m_child.exitCode(), m_output, lastErrorLine(m_tail.bytes()));
}

bool ConverterRun::awaitStop()
{
    if (!m_child.waitFor(TerminateWaitMs)) {
        ::kill(m_child.pid(), SIGKILL);
        m_child.waitFor(KillWaitMs);
    }
    read();
    // One that had already finished keeps its result.
    if (m_child.exitCode() == 0)
        return true;
    DeleteFileQuietly(m_output);
    return false;
}

} // namespace plumark
