#pragma once

#include "base/ResultFile.h"
#include "transcode/Ac3Frames.h"
#include "transcode/Container.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace plumark::transcode {

// One conversion: the input file, the result's path and the rate token
// ("192k") exactly as the ffmpeg program is given them, and what holds the
// result's AC3 stream. Paths are the file system's bytes, so that any name,
// valid UTF-8 or not, is reached.
struct Ac3Job
{
    // What a converter worker does with the job: convert it; for the ffmpeg
    // program, check it before (inputRefusal, and resultMatches when asked)
    // or measure its input after (measureInput).
    enum class Task : qint8 { Convert, Check, Measure };

    QByteArray input;
    QByteArray output;
    QString rateToken;
    Container container = Container::Ac3;
    // With --skip-existing: a result already at output that is what this job
    // would write (resultMatches) is kept, and nothing is converted.
    bool keepMatchingResult = false;
    Task task = Task::Convert;
    // Threads the encoding may use; with more than one it is cut into chunks
    // of chunkFrames encoder frames (0: the converter's own length).
    int threads = 1;
    int chunkFrames = 0;
};

struct Ac3Result
{
    bool converted = false;
    QString reason; // why not, in the library's words where it gives them
    // An input whose data ends before its declared length is converted as
    // far as it goes: where it ended and the length it declared, in seconds.
    // Both -1 when it was whole.
    double endedAt = -1;
    double declaredLength = -1;
    // The result already there was kept (keepMatchingResult).
    bool kept = false;
};

// Seconds of input done, and the input's length (-1 when unknown).
using ProgressReport = std::function<void(double position, double duration)>;

// Converts in this process what "ffmpeg -i INPUT -ab RATE -acodec ac3 OUTPUT"
// converts, to the same bytes: the audio stream the ffmpeg program would pick,
// decoded, brought to what the AC3 encoder takes by the same filters, encoded
// at the rate and written as a raw AC3 stream. In a Matroska or MP4
// container the same stream is written with the input's tags and its cover
// (a Matroska attachment, MP4's "covr"). The input is read and the
// result written as a stream, a piece at a time. The result is written under
// a partial name of its own (ResultFile) and renamed into place once complete
// and synced; on failure nothing is left and an old result stays as it was.
Ac3Result convertToAc3(const Ac3Job& job, const ProgressReport& progress = {});
// The same, writing through result, which the caller may watch.
Ac3Result convertToAc3(const Ac3Job& job, ResultFile& result, const ProgressReport& progress = {});

// What a conversion of the job would write, found without writing: the shape
// of its AC3 frames, from one frame of silence its encoder makes, opened on
// the input's first decoded frame as the conversion opens it. failure says
// why the conversion would fail instead.
struct Ac3Plan
{
    QString failure;
    Ac3Shape shape;
};
Ac3Plan planAc3(const Ac3Job& job);

// Where the job's input's audio data ends before its declared length, as a
// conversion would find it (endedAt and declaredLength), read without
// decoding; converted false with the reason when the input cannot be read.
Ac3Result measureInput(const Ac3Job& job);

// Why the job's input is refused before anything is converted: tables it
// cannot hold, an edit list that repeats its audio. Empty otherwise, also
// when the library cannot open it at all.
QString inputRefusal(const Ac3Job& job);

} // namespace plumark::transcode
