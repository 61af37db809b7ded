#pragma once

#include "engine/CommandLine.h"

#include <functional>

namespace plumark {

inline constexpr auto CreateProcessFailedText =
    "Failed to create process, check the path of the command line.";

// Runs the command line hidden and returns what it writes to the captured
// streams (both interleaved in write order when both are asked), read in
// 1024-byte chunks with a yield before each read and decoded as UTF-8 with the
// decoder's state kept across chunks. Returns when the child closes its
// output and has ended, or a second later when it goes on running (it is then
// reaped when it ends). Raises Failure (error 5) when neither stream is asked;
// returns CreateProcessFailedText when the child cannot start.
QString GetCommandOutput(const CommandLine& commandLine, bool captureStdout, bool captureStderr,
                         bool oemConversion, const std::function<void()>& yield = {});

} // namespace plumark
