#include "batch/Batch.h"

#include "base/Failure.h"
#include "base/ResultFile.h"
#include "batch/BatchOptions.h"
#include "batch/BoxRate.h"
#include "batch/CheckedFfmpegRun.h"
#include "batch/ConsoleReporter.h"
#include "batch/ContainerCommand.h"
#include "batch/FileListInput.h"
#include "batch/JobPlan.h"
#include "batch/MakeFolder.h"
#include "batch/ProgressDisplay.h"
#include "batch/RateProbe.h"
#include "batch/Scheduler.h"
#include "batch/StopSignal.h"
#include "batch/Summary.h"
#include "batch/WorkerRun.h"
#include "engine/CommandLine.h"
#include "engine/ConversionRules.h"
#include "engine/Paths.h"
#include "engine/Tools.h"
#include "engine/ToolsOwner.h"
#include "transcode/ConverterWorker.h"

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

// The message names arguments as given: none of their characters may steer
// the terminal or break the line.
int usageError(const QString& message)
{
    printTo(stderr, QStringLiteral("plumark convert: %1\n").arg(printableName(message)));
    return UsageError;
}

// The batch's own tools folder, with the tools this run uses: the converter
// for --engine ffmpeg, the probe when each input's own rate is asked; none
// when it uses neither. A missing converter fails the batch; a missing probe
// only the files whose rate only it can read, with the reason left in
// probeMissing.
std::unique_ptr<ToolsFolder> provideTools(bool converter, bool probe, QString& probeMissing)
{
    const QString converterTool =
        converter ? LoadResource(converterResourceFor(ProcessorAddressWidth())) : QString();
    QString probeTool;
    if (probe) {
        try {
            probeTool = LoadResource(ProbeResource);
        } catch (const Failure& failure) {
            probeMissing = QStringLiteral("Its own rate can only be read by the probe here. %1")
                               .arg(failure.description());
        }
    }
    if (!converter && probeTool.isEmpty())
        return nullptr;
    auto tools = std::make_unique<ToolsFolder>();
    if (converter)
        WriteBytesToFile(converterTool, tools->converterPath());
    if (!probeTool.isEmpty())
        WriteBytesToFile(probeTool, tools->probePath());
    return tools;
}

// Prints each command line instead of running it.
int printCommands(QList<BatchJob>& jobs, const QString& converterPath,
                  const std::function<QString(BatchJob&)>& findRate, WorkerPool& workers,
                  StopSignal& stop)
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
        QString refusal = job.state == BatchJob::State::NotConverted
                              ? job.reason
                              : refusalReason(job.input, job.output);
        if (refusal.isEmpty() && job.rateToken.isEmpty())
            refusal = findRate(job);
        if (refusal.isEmpty()) {
            // What a run would keep or refuse, by a worker as there.
            const transcode::Ac3Result checked = checkJob(workers, job);
            if (checked.kept) {
                printTo(stderr, QStringLiteral("Skipped: %1: The result already exists.\n")
                                    .arg(printableName(job.input)));
                continue;
            }
            refusal = checked.reason;
        }
        if (!refusal.isEmpty()) {
            printTo(stderr, QStringLiteral("Not converted: %1: %2\n")
                                .arg(printableName(job.input), printableName(refusal)));
            allConvertible = false;
            continue;
        }
        const CommandLine command =
            batchConverterCommand(converterPath, job.input, job.rateToken, job.output,
                                  transcode::containerOfResult(nativePath(job.output)));
        printTo(stdout, printableName(command.text) + QLatin1Char('\n'));
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

int convert(const BatchOptions& options, const BatchChildren& children)
{
    // A closed standard output must not end the batch before it has cleaned up.
    std::signal(SIGPIPE, SIG_IGN);
    QElapsedTimer clock;
    clock.start();
    ConsoleReporter console;
    transcode::quietLibraryLog();

    // Until the scan is over nothing needs cleaning up: a stop ends the
    // program at once. From here on it is noticed and handled.
    QList<BatchJob> jobs = planJobs(options, console);
    StopSignal stop;
    if (jobs.isEmpty()) {
        printTo(stderr, QStringLiteral("plumark convert: no file found to convert.\n"));
        return 0;
    }
    if (!options.rateToken.isEmpty())
        for (BatchJob& job : jobs)
            job.rateToken = options.rateToken;

    // Tools folders of batches or windows that were killed outright go first,
    // and so do the partial results of such batches. A dry run writes nothing.
    if (!options.dryRun) {
        RemoveEndedToolsFolders();
        QList<QByteArray> outputs;
        for (const BatchJob& job : jobs)
            outputs.append(nativePath(job.output));
        removeDeadPartials(outputs);
    }
    const bool sameRate = options.rateToken.isEmpty();
    const bool ownConverter =
        options.converter == BatchOptions::Converter::Ffmpeg && !options.dryRun;
    std::unique_ptr<ToolsFolder> tools;
    // A dry run's commands name the installed converter: they must still run
    // once the batch and its tools folder are gone.
    QString installedConverter;
    QString probeMissing;
    try {
        if (options.dryRun)
            installedConverter = LoadResource(converterResourceFor(ProcessorAddressWidth()));
        tools = provideTools(ownConverter, sameRate, probeMissing);
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

    // Each input's own rate: read from its boxes where they tell it, else by
    // the probe.
    std::unique_ptr<RateProbe> probe;
    if (sameRate)
        probe = std::make_unique<RateProbe>(
            probeMissing.isEmpty() ? tools->probePath() : QString(), options.fallbackToken,
            tools ? tools->path() : QString(), RateProbe::DefaultWaitMs, probeMissing);
    const auto readOwnRate = [&](BatchJob& job) {
        const BoxRate read = BoxRate::read(nativePath(job.input));
        if (read.outcome == BoxRate::Outcome::AskProbe)
            return false;
        if (read.outcome == BoxRate::Outcome::Refused) {
            job.state = BatchJob::State::NotConverted;
            job.reason = read.refusal;
            return true;
        }
        job.rateToken = read.outcome == BoxRate::Outcome::Found ? read.rate + QLatin1Char('k')
                                                                : options.fallbackToken;
        return true;
    };

    // Workers convert, or read the inputs for the ffmpeg program's runs and
    // a dry run's checks.
    auto workers =
        std::make_unique<WorkerPool>(children.workerBody, options.jobs, children.supervision);
    if (options.dryRun)
        return printResult({}, printCommands(
                                   jobs, installedConverter,
                                   [&](BatchJob& job) {
                                       if (readOwnRate(job))
                                           return job.state == BatchJob::State::NotConverted
                                                      ? job.reason
                                                      : QString();
                                       const RateProbe::Result found = probe->rateFor(
                                           job.input, [&] { return stop.requested(); });
                                       job.rateToken = found.token;
                                       return found.failure;
                                   },
                                   *workers, stop));

    ProgressDisplay display(ProgressDisplay::findTerminal());
    Scheduler::Setup setup;
    setup.jobs = options.jobs;
    if (options.converter == BatchOptions::Converter::Builtin) {
        setup.splitsFiles = true;
        setup.startRun = [&](const BatchJob& job, QString* failure) {
            return WorkerRun::start(*workers, job, failure);
        };
    } else {
        setup.startRun = [&, converter = tools->converterPath()](const BatchJob& job,
                                                                 QString* failure) {
            return CheckedFfmpegRun::start(*workers, converter, job, failure, children.supervision);
        };
    }
    if (sameRate) {
        setup.readOwnRate = readOwnRate;
        setup.probe = probe.get();
    }
    setup.stopFd = stop.fd();
    setup.stopRequested = [&] { return stop.requested(); };
    Scheduler scheduler(jobs, setup, display);
    const bool stopped = !scheduler.run();

    workers.reset();
    probe.reset();
    if (tools)
        tools->remove();
    display.clear();
    return printResult(summaryText(jobs, clock.elapsed() / 1000.0, stopped, options.rateToken),
                       exitStatus(jobs, stopped));
}

} // namespace

int runBatch(int argc, char** argv, const BatchChildren& children)
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
    // A dry run writes nothing: its commands name the folder as it would be.
    if (!options.outputFolder.isEmpty() && !options.dryRun) {
        const QString problem = makeFolderPath(options.outputFolder);
        if (!problem.isEmpty())
            return usageError(
                QStringLiteral("--output-dir '%1': %2").arg(options.outputFolder, problem));
    }
    return convert(options, children);
}

} // namespace plumark
