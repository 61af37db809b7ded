#pragma once

#include "base/UniqueFd.h"

#include "engine/ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace plumark {

// Finds an input's own rate with one probe kept running for the whole batch
// ("exiftool -stay_open True -@ -"), for the inputs whose boxes do not tell
// it (BoxRate). A request is asked and its answer looked for without waiting,
// so that the batch goes on meanwhile. Each file's report is read with the
// window's rule (rateFromProbeReport). A probe that gives no answer within
// the wait (its stall limit), or ends, is stopped and started afresh for the
// next file; the file it failed on gets the fallback rate and a note saying
// why. It runs under the batch's memory cap and ends with the batch.
class RateProbe
{
public:
    static constexpr int DefaultWaitMs = 20000;

    struct Result
    {
        QString token;   // the input's own rate, else the fallback
        QString note;    // why the input's own rate could not be read; empty when it was
        QString failure; // set when the file cannot be converted as asked: no probe installed
    };

    // probePath empty: no probe is installed, and unavailable says so.
    // linkFolder holds the links through which names that cannot be passed
    // to the probe as a line reach it.
    RateProbe(QString probePath, QString fallbackToken, QString linkFolder,
              int waitMs = DefaultWaitMs, QString unavailable = {});
    ~RateProbe();
    RateProbe(const RateProbe&) = delete;
    RateProbe& operator=(const RateProbe&) = delete;

    // Starts reading one input's rate; one request at a time.
    void ask(const QString& inputPath);
    // The answer to the request, once there; looks without waiting.
    std::optional<Result> poll();
    // Drops the request under way; the probe is ended.
    void cancel();

    // Asks and waits for the answer; a stop (stopRequested, when given) ends the wait.
    Result rateFor(const QString& inputPath, const std::function<bool()>& stopRequested = {});

private:
    bool ensureRunning(QString& problem);
    // Ends the probe: asked to end when askFirst, else by the stop order.
    void end(bool askFirst);
    void closeFds();
    Result fallback(const QString& note) const { return {m_fallbackToken, note, {}}; }
    void dropLink();

    QString m_probePath;
    QString m_fallbackToken;
    QString m_linkFolder;
    int m_waitMs;
    QString m_unavailable;
    ChildProcess m_child;
    UniqueFd m_requestFd; // its standard input
    UniqueFd m_reportFd;  // its standard output
    QByteArray m_pending; // read from the probe, not yet part of a whole report
    int m_request = 0;
    bool m_asking = false;
    std::optional<Result> m_early; // an answer known when asked
    QByteArray m_link;             // the link made for the request under way
};

} // namespace plumark
