#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace plumark {

// Splits what a child writes into lines at every "\r" and "\n", also when a
// line arrives in several reads. The converter ends its progress reports with
// "\r" alone.
class LineSplitter
{
public:
    QStringList feed(const QByteArray& bytes);
    // The unfinished last line, once the child has closed its output.
    QStringList finish();

private:
    QByteArray m_pending;
};

// A clock text "HH:MM:SS.ss" in seconds; -1 when it is not one.
double secondsFromClock(const QString& clock);

// How far the converter is with one file, read from its error output: the
// input's length from its "Duration: " line and the position from the
// "time=" of its progress reports.
class ConverterProgress
{
public:
    void readLine(const QString& line);

    double duration() const { return m_duration; } // -1 when unknown
    double position() const { return m_position; }
    // The share done, 0..1, or -1 when the length is unknown.
    double fraction() const;

private:
    double m_duration = -1;
    double m_position = 0;
};

// The last bytes of a child's error output, where the cause of a failure is.
class OutputTail
{
public:
    void append(const QByteArray& bytes);
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

} // namespace plumark
