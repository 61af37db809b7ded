#pragma once

namespace plumark::transcode {

// A converter worker: reads jobs from standard input, converts each in this
// process and writes its progress and result to standard output, until
// standard input ends. A crash here ends only this worker; the batch that
// started it names the file and starts another. Returns the exit status.
int runConverterWorker();

// Keeps the libraries' own messages off the batch's terminal: the batch
// reads inputs and existing results with them too, and says what matters
// in its own words.
void quietLibraryLog();

} // namespace plumark::transcode
