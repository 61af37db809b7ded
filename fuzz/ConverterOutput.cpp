// The converter's error output is outside text (it repeats the input's own
// tags). However it arrives, cut into reads anywhere, the batch must see the
// same lines, a share done within 0..1 (or unknown), and keep only its tail.
#include "batch/ConverterOutput.h"
#include "fuzz/FuzzInput.h"

#include <cmath>

using namespace plumark;
using plumark::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte says where the reads are cut; the rest is the output.
    const int step = 1 + data[0] % 64;
    const QByteArray output(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    LineSplitter whole;
    const QStringList lines = whole.feed(output) + whole.finish();
    LineSplitter pieces;
    QStringList pieceLines;
    OutputTail tail;
    for (qsizetype at = 0; at < output.size(); at += step) {
        pieceLines += pieces.feed(output.mid(at, step));
        tail.append(output.mid(at, step));
    }
    pieceLines += pieces.finish();
    require(pieceLines == lines, "the same lines however the output is cut",
            pieceLines.join(QLatin1Char('|')) + QStringLiteral(" vs ") +
                lines.join(QLatin1Char('|')));
    for (const QString& line : lines)
        require(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')),
                "a line holds no line break", line);
    require(output.endsWith(tail.bytes()) && tail.bytes().size() <= 16 * 1024 &&
                (tail.bytes().size() == output.size() || tail.bytes().size() >= 1024),
            "the tail is the output's end, bounded");

    ConverterProgress progress;
    for (const QString& line : lines) {
        progress.readLine(line);
        const double share = progress.fraction();
        require(share == -1 || (share >= 0 && share <= 1), "the share done is within 0..1",
                QString::number(share));
        require(std::isfinite(progress.position()) && progress.position() >= 0,
                "the position is a finite time", line);
    }
    for (const QString& line : lines) {
        const double seconds = secondsFromClock(line);
        require(seconds == -1 || (std::isfinite(seconds) && seconds >= 0),
                "a clock reads as a finite time or none", line);
    }
    return 0;
}
