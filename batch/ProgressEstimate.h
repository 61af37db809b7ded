#pragma once

#include <QList>
#include <QString>

namespace plumark {

// A file being converted, as its converter reports it.
struct RunningFile
{
    QString name;
    double duration = -1; // seconds of input, -1 when unknown
    double position = 0;  // seconds of input done
};

// What the progress line shows at one moment.
struct ProgressSnapshot
{
    int done = 0;
    int total = 0;
    QList<RunningFile> running;
    double elapsed = 0;
    double remaining = -1; // seconds, -1 when there is nothing to go by yet
};

// Seconds still to go: the input seconds left (the rest of the running files,
// and the files not yet started counted at the average length seen so far)
// at the speed measured so far in input seconds per second.
double estimateRemaining(double elapsed, const QList<double>& finishedDurations,
                         const QList<RunningFile>& running, int notStarted);

// "m:ss", or "h:mm:ss" from an hour on.
QString clockText(double seconds);

// How an input that ends early is named: "input ends early: 4:03 of 10:00",
// or, where what it declares ends no later than its data (a cut fragmented
// file declares only the fragments it still holds), where its data is cut.
QString earlyEndText(double endedAt, double declaredLength);

} // namespace plumark
