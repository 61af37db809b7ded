#pragma once

#include <functional>

namespace plumark::transcode {

struct Ac3Job;

// A converter worker: reads jobs from standard input, converts each in this
// process and writes its progress and result to standard output, until
// standard input ends. A crash here ends only this worker; the batch that
// started it names the file and starts another. Returns the exit status.
// The batch that starts it sets its limits and ends it with itself.
int runConverterWorker();
// The same, with beforeEachJob called as each job arrives: the seam through
// which a test makes a worker fail as a decoder fault would.
int runConverterWorkerWith(const std::function<void(const Ac3Job& job)>& beforeEachJob);

// Keeps the libraries' own messages off the batch's terminal: the batch
// reads inputs and existing results with them too, and says what matters
// in its own words.
void quietLibraryLog();

} // namespace plumark::transcode
