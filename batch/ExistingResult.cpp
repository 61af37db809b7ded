#include "batch/ExistingResult.h"

#include "batch/Ac3Header.h"
#include "engine/Paths.h"
#include "transcode/AudioLength.h"

#include <cmath>

namespace plumark {

namespace {

constexpr qint64 SamplesPerFrame = 1536;
// A resampled input's length is known to a few samples only; one at the
// result's own rate is known exactly.
constexpr double ResampledSlack = 64;

} // namespace

bool isWholeResultOf(const QString& input, const QString& output)
{
    const Ac3Frames frames = readAc3Frames(output);
    if (!frames.whole)
        return false;
    const transcode::AudioLength length = transcode::decodedAudioLength(nativePath(input));
    if (length.samples <= 0)
        return false;
    // The input's audio at the result's rate, cut into whole frames, the
    // last one filled up.
    const double samples = double(length.samples) * frames.sampleRate / length.sampleRate;
    const double slack = frames.sampleRate == length.sampleRate ? 0.0 : ResampledSlack;
    const auto framesFor = [](double count) {
        return qint64(std::ceil(std::max(count, 0.0) / SamplesPerFrame));
    };
    return frames.frames >= framesFor(samples - slack) &&
           frames.frames <= framesFor(samples + slack);
}

} // namespace plumark
