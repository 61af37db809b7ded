#include "batch/FfmpegRun.h"

#include "batch/ContainerCommand.h"

#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/Paths.h"
#include "engine/ReadAvailable.h"
#include "transcode/Container.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plumark {

namespace {

// How long a converter that closed its error output gets to end at each look.
constexpr int EndingWaitMs = 20;
// The converter's name for the partial result it inherits as descriptor 3:
// the file itself, whatever name it has by then. The name says nothing of
// the format, and names a file that exists.
const QString PassedOutput = QStringLiteral("/proc/self/fd/3");

} // namespace

std::unique_ptr<JobRun> FfmpegRun::start(const QString& converterPath, const BatchJob& job,
                                         QString* failure, const Supervision& supervision)
{
    const QByteArray output = nativePath(job.output);
    std::unique_ptr<FfmpegRun> run(new FfmpegRun(output));
    // The batch creates the partial result (never through a link, never an
    // existing file) and renames it into place once whole.
    const QString problem = run->m_result.create(output);
    if (!problem.isEmpty()) {
        *failure = problem;
        return nullptr;
    }
    const transcode::Container container = transcode::containerOfResult(output);
    // The passed file exists already, and its name tells no format.
    const QStringList passedFileOptions{QStringLiteral("-f"),
                                        QString::fromLatin1(transcode::formatName(container)),
                                        QStringLiteral("-y")};
    const CommandLine command = batchConverterCommand(converterPath, job.input, job.rateToken,
                                                      PassedOutput, container, passedFileOptions);
    int fds[2];
    int error = ::pipe2(fds, O_CLOEXEC) == 0 ? 0 : errno;
    if (!error) {
        run->m_errorFd = fds[0];
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        // A batch killed outright leaves no converter writing.
        ChildSetup setup;
        setup.stderrFd = fds[1];
        setup.passedFds = {run->m_result.fd()};
        setup.lifetime = ChildSetup::Lifetime::EndsWithThisProcess;
        setup.capMemory = true;
        run->m_child.supervise(supervision);
        error = run->m_child.start(command.argv, setup);
        ::close(fds[1]);
        run->m_child.expectProgress();
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
        m_child.progressed();
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
    if (m_child.endIfStalled()) {
        m_stalled = true;
        return true;
    }
    // The error output closes when the converter ends; a child that handed
    // it on to one of its own still has its end noticed here.
    return m_errorFd < 0 ? m_child.waitFor(EndingWaitMs) : m_child.poll();
}

QString FfmpegRun::failure()
{
    read();
    if (m_committed)
        return {};
    if (m_stalled)
        return noProgressReason(m_child.supervision());
    const std::optional<int> status = m_child.exitStatus();
    if (!status)
        return QStringLiteral("The converter's end could not be read.");
    // The converter's words name the result by its final name.
    const QString errorLine =
        lastErrorLine(m_tail.bytes()).replace(PassedOutput, pathFromNative(m_output));
    // The partial result is judged by its descriptor: its name may have
    // gone with a folder moved away meanwhile.
    const QString reason = conversionFailureReason(
        *status, QStringLiteral("/proc/self/fd/%1").arg(m_result.fd()), errorLine);
    if (!reason.isEmpty())
        return reason;
    if (m_commitProblem.isEmpty()) {
        m_commitProblem = m_result.commit();
        m_committed = m_commitProblem.isEmpty();
    }
    return m_commitProblem;
}

std::pair<double, double> FfmpegRun::earlyEnd()
{
    // Where the input ends is read from the input by a worker, as the
    // in-process converter reads it (CheckedFfmpegRun): the program's
    // reports show the cover's time beside the audio, and miss a cut at a
    // fragment's end.
    return {-1, -1};
}

bool FfmpegRun::awaitStop()
{
    m_child.finishStop();
    read();
    // Only a converter that has been reaped, and ended well, had finished:
    // one that outlived the stop may still be cutting its result short.
    // Another's partial result goes with this run.
    return m_child.exitStatus() == 0;
}

} // namespace plumark
