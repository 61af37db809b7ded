#pragma once

namespace plumark {

// "plumark convert [OPTIONS] PATH...": converts without a window, several
// files at once. argv is the program's own (argv[1] is "convert"). Returns the
// exit status: 0 when every file was converted or skipped, 1 when any was
// not, 2 for a usage error, 130 when stopped by a signal.
int runBatch(int argc, char** argv);

} // namespace plumark
