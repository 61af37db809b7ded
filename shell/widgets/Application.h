#pragma once

namespace plumark {

// Starts the program's window: loads it, shows it centred and runs the
// event loop until it closes.
int runWindow(int argc, char** argv);

} // namespace plumark
