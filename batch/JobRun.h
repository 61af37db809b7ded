#pragma once

#include "batch/BatchJob.h"
#include "engine/ChildProcess.h"

#include <QString>
#include <functional>
#include <memory>
#include <utility>

namespace plumark {

// One file being converted, by whichever converter the batch uses.
class JobRun
{
public:
    virtual ~JobRun() = default;

    // A descriptor that becomes readable when the converter has news; -1
    // when only a look can tell whether it has ended.
    virtual int fd() const = 0;
    // Takes in what the converter said, without waiting.
    virtual void read() = 0;
    // True once the conversion is over. May wait a moment when fd() is -1.
    virtual bool ended() = 0;
    // Why the ended conversion does not count; empty when it does.
    virtual QString failure() = 0;
    // For one that counts: where its input's data ended before its declared
    // length, and that length, in seconds; both -1 when the input was whole.
    virtual std::pair<double, double> earlyEnd() = 0;
    // For one that counts: the result already there was what this job would
    // write, and was kept (--skip-existing); nothing was converted.
    virtual bool kept() { return false; }
    // The input's length in seconds (-1 when unknown) and how far it is.
    virtual double duration() const = 0;
    virtual double position() const = 0;

    // A stop: asks the converter to end, then waits for it (ending it by
    // force when it will not). True when the conversion finished on its own
    // in time; otherwise no partial result is left.
    virtual void terminate() = 0;
    virtual bool awaitStop() = 0;
};

// How the batch watches every converter it runs: one that reports nothing
// for a minute is stuck.
inline Supervision converterSupervision()
{
    Supervision supervision;
    supervision.stallLimit = std::chrono::seconds(60);
    return supervision;
}

// Why a file whose converter was ended for its silence was not converted.
inline QString noProgressReason(const Supervision& supervision)
{
    return QStringLiteral("the converter made no progress for %1 seconds")
        .arg(std::chrono::duration_cast<std::chrono::seconds>(supervision.stallLimit).count());
}

// Starts the conversion of a job, or returns nullptr with the reason.
using JobStarter = std::function<std::unique_ptr<JobRun>(const BatchJob& job, QString* failure)>;

} // namespace plumark
