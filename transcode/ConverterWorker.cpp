#include "transcode/ConverterWorker.h"

#include "transcode/Ac3Converter.h"
#include "transcode/ExistingResult.h"
#include "transcode/JobLimits.h"
#include "transcode/WorkerProtocol.h"

extern "C" {
#include <libavutil/log.h>
}

#include <chrono>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace plumark::transcode {

namespace {

// How often the position is reported.
constexpr auto ProgressInterval = std::chrono::milliseconds(100);

// The partial result of the file being converted, for the stop handler; set
// while stops are held back.
char partialPath[4096];
volatile sig_atomic_t converting = 0;

// A stop removes the partial result; nothing else may run in a handler.
void onStop(int signalNumber)
{
    if (converting)
        ::unlink(partialPath);
    ::_exit(128 + signalNumber);
}

void prepareProcess()
{
    // Ctrl+C reaches the whole process group: the batch decides how to stop
    // its workers, and ends them itself.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    quietLibraryLog();
}

void remember(const QByteArray& partial)
{
    converting = 0;
    const size_t length = std::min(size_t(partial.size()), sizeof partialPath - 1);
    std::memcpy(partialPath, partial.constData(), length);
    partialPath[length] = '\0';
    converting = 1;
}

Ac3Result convert(const Ac3Job& job)
{
    ResultFile file;
    // The batch learns the partial name too: a worker ended by force
    // cannot remove it itself.
    file.onCreated([](const QByteArray& partial) {
        remember(partial);
        WorkerReply reply;
        reply.kind = WorkerReply::Kind::Partial;
        reply.partial = partial;
        writeMessage(STDOUT_FILENO, encodeReply(reply));
    });
    auto lastReport = std::chrono::steady_clock::now() - ProgressInterval;
    bool replying = true;
    return convertToAc3(job, file, [&](double position, double duration) {
        const auto now = std::chrono::steady_clock::now();
        if (!replying || now - lastReport < ProgressInterval)
            return;
        lastReport = now;
        WorkerReply reply;
        reply.position = position;
        reply.duration = duration;
        replying = writeMessage(STDOUT_FILENO, encodeReply(reply));
    });
}

Ac3Result runJob(const Ac3Job& job)
{
    // A result already there that this job would write stands.
    if (job.task != Ac3Job::Task::Measure && job.keepMatchingResult && resultMatches(job)) {
        Ac3Result kept{true, {}};
        kept.kept = true;
        return kept;
    }
    switch (job.task) {
    case Ac3Job::Task::Convert:
        break;
    case Ac3Job::Task::Check: {
        const QString refusal = inputRefusal(job);
        return {refusal.isEmpty(), refusal};
    }
    case Ac3Job::Task::Measure:
        return measureInput(job);
    }
    return convert(job);
}

} // namespace

int runConverterWorker()
{
    return runConverterWorkerWith({});
}

int runConverterWorkerWith(const std::function<void(const Ac3Job& job)>& beforeEachJob)
{
    prepareProcess();
    MessageReader reader;
    while (const std::optional<QByteArray> message = readMessage(STDIN_FILENO, reader)) {
        const Ac3Job job = decodeJob(*message);
        if (beforeEachJob)
            beforeEachJob(job);
        const Ac3Result result = runJob(job);
        converting = 0;

        WorkerReply reply;
        reply.kind = WorkerReply::Kind::Result;
        reply.result = result;
        if (!writeMessage(STDOUT_FILENO, encodeReply(reply)))
            return 1;
    }
    return 0;
}

void quietLibraryLog()
{
    av_log_set_level(AV_LOG_QUIET);
}

} // namespace plumark::transcode
