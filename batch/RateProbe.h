#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <functional>
#include <memory>

namespace plumark {

// Finds each input's own rate for a whole batch with one probe kept running
// ("exiftool -stay_open True -@ -"), instead of starting the probe for every
// file. Each file's report is read with the window's rule
// (rateFromProbeReport). A probe that gives no answer within the wait, or
// ends, is stopped and started afresh for the next file; the file it failed
// on gets the fallback rate and a note saying why.
class RateProbe
{
public:
    static constexpr int DefaultWaitMs = 20000;

    struct Result
    {
        QString token; // the input's own rate, else the fallback
        QString note;  // why the input's own rate could not be read; empty when it was
    };

    RateProbe(QString probePath, QString fallbackToken, int waitMs = DefaultWaitMs);
    ~RateProbe();
    RateProbe(const RateProbe&) = delete;
    RateProbe& operator=(const RateProbe&) = delete;

    // stopRequested, when given, is asked while waiting: a stop ends the wait.
    Result rateFor(const QString& inputPath, const std::function<bool()>& stopRequested = {});

private:
    // The report for one file, or empty with problem set.
    QString report(const QByteArray& path, const std::function<bool()>& stopRequested,
                   QString& problem);
    bool ensureRunning(QString& problem);
    // Ends the probe: asked to end when askFirst, else killed at once.
    void end(bool askFirst);

    QString m_probePath;
    QString m_fallbackToken;
    int m_waitMs;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_pending; // read from the probe, not yet part of a whole report
    int m_request = 0;
};

} // namespace plumark
