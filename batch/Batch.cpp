#include "batch/Batch.h"

#include "batch/BatchOptions.h"
#include "batch/ConsoleWindow.h"
#include "batch/ContainerCommand.h"
#include "batch/ConverterRun.h"
#include "batch/EngineRun.h"
#include "batch/FileListInput.h"
#include "batch/JobPlan.h"
#include "batch/MakeFolder.h"
#include "batch/ProgressDisplay.h"
#include "batch/RateProbe.h"
#include "batch/Scheduler.h"
#include "batch/StopSignal.h"
#include "batch/Summary.h"
#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/Paths.h"
#include "engine/Tools.h"
#include "engine/ToolsOwner.h"
#include "shell/Failure.h"
#include "transcode/EngineWorker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace plumark {

namespace {

constexpr int UsageError = 2;
constexpr int StoppedStatus = 130;

// Set when the batch started with its standard output closed: what it writes
// there goes nowhere.
bool outputWasClosed = false;

// Bytes of a name that are no valid text are written escaped. False when the
// text could not be written.
bool printTo(std::FILE* stream, const QString& text)
{
    const bool written = std::fputs(printablePath(text).toUtf8().constData(), stream) >= 0;
    return std::fflush(stream) == 0 && written && !(stream == stdout && outputWasClosed);
}

// A descriptor of the three standard ones that is closed is opened on
// /dev/null, so that no file or pipe the batch opens takes its number and
// receives what is meant for it.
void openClosedStandardDescriptors()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        if (fd == STDOUT_FILENO)
            outputWasClosed = true;
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

// Writes what must reach standard output (the summary, help); a run whose
// output was lost (a full disk, a closed output) says so and does not end
// with success.
int printResult(const QString& text, int status)
{
    const bool written = printTo(stdout, text) && !std::ferror(stdout);
    if (written)
        return status;
    const QString why = outputWasClosed ? QStringLiteral("it is closed")
                                        : QString::fromLocal8Bit(std::strerror(errno));
    printTo(stderr,
            QStringLiteral("plumark convert: the standard output could not be written (%1).\n")
                .arg(why));
    return status == 0 ? 1 : status;
}

int usageError(const QString& message)
{
    printTo(stderr, QStringLiteral("plumark convert: %1\n").arg(message));
    return UsageError;
}

// The converter and the probe in the batch's own tools folder.
std::unique_ptr<ToolsFolder> provideTools()
{
    const QString converter = LoadResource(converterResourceFor(ProcessorAddressWidth()));
    const QString probe = LoadResource(ProbeResource);
    auto tools = std::make_unique<ToolsFolder>();
    WriteBytesToFile(converter, tools->converterPath());
    WriteBytesToFile(probe, tools->probePath());
    return tools;
}

// Prints each command line instead of running it.
int printCommands(QList<BatchJob>& jobs, const QString& converterPath,
                  const std::function<void(BatchJob&)>& findRate, StopSignal& stop)
{
    bool allConvertible = true;
    for (BatchJob& job : jobs) {
        if (stop.requested())
            return StoppedStatus;
        if (job.state == BatchJob::State::Skipped) {
            printTo(stderr, QStringLiteral("Skipped: %1: %2\n")
                                .arg(printableName(job.input), printableName(job.reason)));
            continue;
        }
        const QString refusal = job.state == BatchJob::State::NotConverted
                                    ? job.reason
                                    : refusalReason(job.input, job.output);
        if (!refusal.isEmpty()) {
            printTo(stderr, QStringLiteral("Not converted: %1: %2\n")
                                .arg(printableName(job.input), printableName(refusal)));
            allConvertible = false;
            continue;
        }
        if (job.rateToken.isEmpty())
            findRate(job);
        const QStringList options =
            converterOptionsFor(transcode::containerOfResult(nativePath(job.output)));
        printTo(stdout, printableName(converterCommand(converterPath, job.input, job.rateToken,
                                                       job.output, options)
                                          .text) +
                            QLatin1Char('\n'));
    }
    return allConvertible ? 0 : 1;
}

// The processor cores this process may run on.
int processorCount()
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0)
        return std::max(1, CPU_COUNT(&cores));
    return std::max(1, int(std::thread::hardware_concurrency()));
}

int exitStatus(const QList<BatchJob>& jobs, bool stopped)
{
    if (stopped)
        return StoppedStatus;
    for (const BatchJob& job : jobs)
        if ((job.state != BatchJob::State::Converted && job.state != BatchJob::State::Skipped) ||
            job.endedAt >= 0)
            return 1;
    return 0;
}

int convert(const BatchOptions& options)
{
    // A closed standard output must not end the batch before it has cleaned up.
    std::signal(SIGPIPE, SIG_IGN);
    QElapsedTimer clock;
    clock.start();
    ConsoleWindow window;
    transcode::quietLibraryLog();

    // Until the scan is over nothing needs cleaning up: a stop ends the
    // program at once. From here on it is noticed and handled.
    QList<BatchJob> jobs = planJobs(options, window);
    StopSignal stop;
    if (jobs.isEmpty()) {
        printTo(stderr, QStringLiteral("plumark convert: no file found to convert.\n"));
        return 0;
    }
    if (!options.rateToken.isEmpty())
        for (BatchJob& job : jobs)
            job.rateToken = options.rateToken;

    // Tools folders of batches or windows that were killed outright go first.
    RemoveEndedToolsFolders();
    std::unique_ptr<ToolsFolder> tools;
    try {
        tools = provideTools();
    } catch (const Failure& failure) {
        printTo(stderr, QStringLiteral("plumark convert: %1\n").arg(failure.description()));
        for (BatchJob& job : jobs) {
            if (job.state == BatchJob::State::Pending) {
                job.state = BatchJob::State::NotConverted;
                job.reason = failure.description();
            }
        }
        return printResult(summaryText(jobs, clock.elapsed() / 1000.0, false, options.rateToken),
                           1);
    }

    auto probe = std::make_unique<RateProbe>(tools->probePath(), options.fallbackToken);
    const auto findRate = [&](BatchJob& job) {
        const RateProbe::Result found = probe->rateFor(job.input, [&] { return stop.requested(); });
        job.rateToken = found.token;
        job.rateNote = found.note;
    };

    if (options.dryRun)
        return printResult({}, printCommands(jobs, tools->converterPath(), findRate, stop));

    ProgressDisplay display(ProgressDisplay::findTerminal());
    Scheduler::Setup setup;
    setup.jobs = options.jobs;
    std::unique_ptr<WorkerPool> workers;
    if (options.engine == BatchOptions::Engine::Builtin) {
        workers = std::make_unique<WorkerPool>(transcode::runEngineWorker, options.jobs);
        setup.startRun = [&](const BatchJob& job, QString* failure) {
            return EngineRun::start(*workers, job, failure);
        };
    } else {
        setup.startRun = [converter = tools->converterPath()](const BatchJob& job,
                                                              QString* failure) {
            return ConverterRun::start(converter, job, failure);
        };
    }
    setup.findRate = findRate;
    setup.stopFd = stop.fd();
    setup.stopRequested = [&] { return stop.requested(); };
    Scheduler scheduler(jobs, setup, display);
    const bool stopped = !scheduler.run();

    workers.reset();
    probe.reset();
    tools->remove();
    display.clear();
    return printResult(summaryText(jobs, clock.elapsed() / 1000.0, stopped, options.rateToken),
                       exitStatus(jobs, stopped));
}

} // namespace

int runBatch(int argc, char** argv)
{
    openClosedStandardDescriptors();
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(argc, argv);

    // Each argument keeps its bytes, also those of a name that is no valid text.
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(pathFromNative(argv[i]));
    ParsedOptions parsed = parseBatchOptions(arguments, processorCount());
    if (!parsed.error.isEmpty())
        return usageError(parsed.error);
    BatchOptions& options = parsed.options;
    if (options.help)
        return printResult(batchUsage(), 0);
    if (options.version)
        return printResult(QStringLiteral("plumark %1\n").arg(QStringLiteral(PLUMARK_VERSION)), 0);
    if (!options.filesFrom.isEmpty()) {
        QString problem;
        options.listedFiles = readFileList(options.filesFrom, options.nullSeparated, problem);
        if (!problem.isEmpty())
            return usageError(
                QStringLiteral("--files-from '%1': %2").arg(options.filesFrom, problem));
    }
    if (!options.outputFolder.isEmpty()) {
        const QString problem = makeFolderPath(options.outputFolder);
        if (!problem.isEmpty())
            return usageError(
                QStringLiteral("--output-dir '%1': %2").arg(options.outputFolder, problem));
    }
    return convert(options);
}

} // namespace plumark
