#include "batch/FfmpegRun.h"

#include "batch/ContainerCommand.h"

#include "base/ResultFile.h"
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

std::unique_ptr<JobRun> FfmpegRun::start(const QString& converterPath, const BatchJob& job,
                                         QString* failure)
{
    // The converter writes a partial name of its own, which a finished run
    // renames into place; the final name is never written directly.
    const QByteArray partial = freshPartialPath(nativePath(job.output));
    const CommandLine command =
        batchConverterCommand(converterPath, job.input, job.rateToken, pathFromNative(partial),
                              transcode::containerOfResult(partial));
    std::unique_ptr<FfmpegRun> run(new FfmpegRun(nativePath(job.output), partial));
    int fds[2];
    int error = ::pipe2(fds, O_CLOEXEC) == 0 ? 0 : errno;
    if (!error) {
        run->m_errorFd = fds[0];
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        error = run->m_child.start(command.argv, -1, fds[1],
                                   ChildProcess::Lifetime::EndsWithThisProcess);
        ::close(fds[1]);
    }
    if (error) {
        *failure = conversionFailureReason(startFailureCode(error), job.output, {}, error);
        return nullptr;
    }
    return run;
}

FfmpegRun::~FfmpegRun()
{
    closeOutput();
    if (!m_committed)
        ::unlink(m_partial.constData());
}

void FfmpegRun::closeOutput()
{
    if (m_errorFd >= 0)
        ::close(m_errorFd);
    m_errorFd = -1;
}

void FfmpegRun::read()
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

bool FfmpegRun::ended()
{
    // The error output closes when the converter ends; a child that handed
    // it on to one of its own still has its end noticed here.
    return m_errorFd < 0 ? m_child.waitFor(EndingWaitMs) : m_child.poll();
}

QString FfmpegRun::failure()
{
    read();
    if (m_committed)
        return {};
    // The converter's words name the result by its final name.
    const QString errorLine =
        lastErrorLine(m_tail.bytes()).replace(pathFromNative(m_partial), pathFromNative(m_output));
    const QString reason =
        conversionFailureReason(m_child.exitCode(), pathFromNative(m_partial), errorLine);
    if (!reason.isEmpty())
        return reason;
    if (m_commitProblem.isEmpty()) {
        m_commitProblem = commitPartial(m_partial, m_output);
        m_committed = m_commitProblem.isEmpty();
    }
    return m_commitProblem;
}

std::pair<double, double> FfmpegRun::earlyEnd()
{
    // Where the input ends is read from the input by a worker, as the
    // in-process engine reads it (CheckedFfmpegRun): the program's
    // reports show the cover's time beside the audio, and miss a cut at a
    // fragment's end.
    return {-1, -1};
}

bool FfmpegRun::awaitStop()
{
    if (!m_child.waitFor(TerminateWaitMs)) {
        ::kill(m_child.pid(), SIGKILL);
        m_child.waitFor(KillWaitMs);
    }
    read();
    // One that had already finished keeps its result; the partial result of
    // one that had not goes with this run.
    return m_child.exitCode() == 0;
}

} // namespace plumark
