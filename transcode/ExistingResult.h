#pragma once

#include "transcode/Ac3Converter.h"

namespace plumark::transcode {

// Whether the result already at the job's output is what the job would write
// (--skip-existing): its AC3 frames run whole to its end, each with right
// checksums (in a Matroska or MP4 result: every packet whole, the container
// read to its end), have the sample rate, bit rate and channel layout the
// job's encoder would choose (planAc3), and hold the input's audio, no frame
// more or less than a conversion of the input gives. Reads the input: run it
// in a worker, under a job's limits.
bool resultMatches(const Ac3Job& job);

} // namespace plumark::transcode
