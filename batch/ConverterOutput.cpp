#include "batch/ConverterOutput.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace plumark {

namespace {

constexpr qsizetype TailBytes = 16 * 1024;

} // namespace

QStringList LineSplitter::feed(const QByteArray& bytes)
{
    QStringList lines;
    m_pending += bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        const char c = m_pending[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i > start)
            lines.append(QString::fromUtf8(m_pending.mid(start, i - start)));
        start = i + 1;
    }
    m_pending.remove(0, start);
    return lines;
}

QStringList LineSplitter::finish()
{
    QStringList lines;
    if (!m_pending.isEmpty())
        lines.append(QString::fromUtf8(m_pending));
    m_pending.clear();
    return lines;
}

double secondsFromClock(const QString& clock)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+):(\\d{2}):(\\d{2}(?:\\.\\d+)?)$"));
    const QRegularExpressionMatch match = form.match(clock);
    if (!match.hasMatch())
        return -1;
    // Hours too many to hold (the output repeats the input's own tags) are no time.
    const double seconds = match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
                           match.captured(3).toDouble();
    return std::isfinite(seconds) ? seconds : -1;
}

void ConverterProgress::readLine(const QString& line)
{
    static const QRegularExpression durationForm(QStringLiteral("^\\s*Duration: ([0-9:.]+)"));
    static const QRegularExpression timeForm(QStringLiteral("\\btime=\\s*([0-9:.]+)"));
    // The first "Duration: " line is the input's; later ones would be other inputs'.
    if (m_duration < 0) {
        const QRegularExpressionMatch match = durationForm.match(line);
        if (match.hasMatch()) {
            const double seconds = secondsFromClock(match.captured(1));
            if (seconds > 0)
                m_duration = seconds;
            return;
        }
    }
    const QRegularExpressionMatch match = timeForm.match(line);
    if (match.hasMatch()) {
        const double seconds = secondsFromClock(match.captured(1));
        if (seconds >= 0)
            m_position = seconds;
    }
}

double ConverterProgress::fraction() const
{
    if (m_duration <= 0)
        return -1;
    return std::clamp(m_position / m_duration, 0.0, 1.0);
}

void OutputTail::append(const QByteArray& bytes)
{
    m_bytes += bytes;
    if (m_bytes.size() > TailBytes)
        m_bytes.remove(0, m_bytes.size() - TailBytes);
}

} // namespace plumark
