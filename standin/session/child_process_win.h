// Starting the stand-in's own child processes: a session's, a chaos
// worker's, a served one, a suite's scenario.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// A job whose processes die with it, and it with its last handle: a child
// put in it plays on alone after no runner that was killed.
HANDLE makeJob();

// Starts `exe` with `commandLine`, suspended; puts it in `job` (when given)
// before it runs a line of its own, then lets it run. `flags` are added to
// CREATE_SUSPENDED; handles marked inheritable are inherited. False, with
// the error in GetLastError, when it could not be started.
bool startChild(const std::string& exe, std::string commandLine, STARTUPINFOA& startup, DWORD flags, HANDLE job,
                PROCESS_INFORMATION& process);

}  // namespace standin::win
