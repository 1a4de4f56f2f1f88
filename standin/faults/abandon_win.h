// The end of a session that a verdict cut short.
#pragma once

#include <string>

#include "base/exit_codes.h"

namespace standin::win {

// Hands the verdict to the watching runner, saves what the trace holds so far
// and ends the process. The first thread's verdict stands: any later caller
// waits until the process is gone.
[[noreturn]] void abandon(const std::string& message, ExitCode code);

// How the trace is saved when a verdict ends the process; the runner, which
// owns the trace, sets it once before the plug-in loads.
void setTraceSaver(void (*saveTrace)());

}  // namespace standin::win
