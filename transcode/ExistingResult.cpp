#include "transcode/ExistingResult.h"

#include "transcode/Ac3Frames.h"
#include "transcode/AudioLength.h"
#include "transcode/JobLimits.h"

#include <algorithm>
#include <cmath>

namespace plumark::transcode {

namespace {

constexpr qint64 SamplesPerFrame = 1536;
// A resampled input's length is known to a few samples only; one at the
// result's own rate is known exactly.
constexpr double ResampledSlack = 64;

} // namespace

bool resultMatches(const Ac3Job& job)
{
    capLibraryAllocations();
    const Ac3Frames frames = readResultFrames(job.output);
    if (!frames.whole)
        return false;
    const Ac3Plan plan = planAc3(job);
    if (!plan.failure.isEmpty() || !(plan.shape == frames.shape))
        return false;
    const AudioLength length = decodedAudioLength(job.input);
    if (length.samples <= 0)
        return false;
    // The input's audio at the result's rate, cut into whole frames, the
    // last one filled up.
    const int rate = frames.shape.sampleRate;
    const double samples = double(length.samples) * rate / length.sampleRate;
    const double slack = rate == length.sampleRate ? 0.0 : ResampledSlack;
    const auto framesFor = [](double count) {
        return qint64(std::ceil(std::max(count, 0.0) / SamplesPerFrame));
    };
    return frames.frames >= framesFor(samples - slack) &&
           frames.frames <= framesFor(samples + slack);
}

} // namespace plumark::transcode
