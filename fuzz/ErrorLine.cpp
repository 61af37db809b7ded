// A converter's error output is outside text. The line chosen for the report
// is one of its lines, alone and trimmed, and the cause wins over the
// converter's closing lines and progress reports.
#include "engine/ConversionRules.h"
#include "fuzz/FuzzInput.h"

#include <QRegularExpression>

using plumark::lastErrorLine;
using plumark::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray output(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString line = lastErrorLine(output);
    require(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')), "one line",
            line);
    require(line == line.trimmed(), "trimmed", line);

    static const QRegularExpression breaks(QStringLiteral("[\r\n]"));
    QStringList lines;
    for (const QString& each : QString::fromUtf8(output).split(breaks))
        if (!each.trimmed().isEmpty())
            lines.append(each.trimmed());
    require(line.isEmpty() == lines.isEmpty(), "something is said whenever the output says it",
            line);
    require(line.isEmpty() || lines.contains(line), "the line is one of the output's", line);

    const QByteArray failed =
        output + "\nUnknown encoder 'ac3x'\r\nConversion failed!\nsize=       0kB time=00:00:00.00"
                 " bitrate=N/A speed=N/A\n";
    require(lastErrorLine(failed) == QLatin1String("Unknown encoder 'ac3x'"),
            "the cause wins over closing and progress lines", lastErrorLine(failed));
    return 0;
}
