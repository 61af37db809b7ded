#include "engine/BitRate.h"

#include <QRegularExpression>
#include <QStringList>

namespace plumark {

namespace {

// Leading and trailing blanks (spaces only) removed.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

// The first blank-separated piece of a value, with the unit removed.
QString firstPiece(QString value, QLatin1String unit)
{
    value.remove(unit);
    return trimBlanks(value.section(QLatin1Char(' '), 0, 0));
}

// A number in kilobits, written without trailing zeros.
QString kilobitsFromMegabits(const QString& number)
{
    bool ok = false;
    const double megabits = number.toDouble(&ok);
    if (!ok)
        return number;
    QString text = QString::number(megabits * 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// The value of the last line whose tag name is the tag; empty when none holds
// a usable one. Sets present when any line has that tag name. The tag name is
// the text before the line's first colon: a file or folder name that holds
// the tag stands in a value and never counts.
QString lastValue(const QStringList& lines, QLatin1String tag, bool& present)
{
    present = false;
    QString found;
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char(':'));
        if (parts.size() < 2 || parts.at(0).trimmed() != tag)
            continue;
        present = true;
        const QString value = trimBlanks(parts.at(1));
        if (value.contains(QLatin1String("Mbps")))
            found = kilobitsFromMegabits(firstPiece(value, QLatin1String("Mbps")));
        else
            found = firstPiece(value, QLatin1String("kbps"));
    }
    return found;
}

} // namespace

QString getBitRate(const QString& rateText)
{
    QString token = rateText;
    token.replace(QLatin1String(" kbps"), QLatin1String("k"), Qt::CaseInsensitive);
    return trimBlanks(token);
}

QString rateFromProbeReport(const QString& report)
{
    if (report.isEmpty())
        return {};
    // The probe ends its lines with CR LF on one system and LF on another.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n"));
    const QStringList lines = report.split(lineEnd);
    bool present = false;
    const QString audio = lastValue(lines, QLatin1String("Audio Bitrate"), present);
    if (present)
        return audio;
    return lastValue(lines, QLatin1String("Avg Bitrate"), present);
}

} // namespace plumark
