// The runner's exit codes (see the reference, standin/kit/STANDIN.md).
#pragma once

namespace standin {

enum ExitCode : int {
  kExitOk = 0,
  kExitSuiteFailed = 1,    // a scenario of a suite failed (its own code is in its line)
  kExitUsage = 2,          // bad command line, scenario or working folder
  kExitStandinFailed = 3,  // the stand-in itself failed: its session's process, or the channel to it
  kExitLoadFailed = 4,     // the plug-in could not be loaded
  kExitStuck = 5,          // the plug-in stopped calling the host
  kExitMisbehaved = 6,     // a cap was exceeded, or the script ended or was never registered
  kExitCrashed = 7,        // an exception nobody handled
  kExitTraceFailed = 8,    // the trace could not be written
  kExitExpectationsFailed = 9,  // the session did not show what the scenario expects
  kExitAborted = 10,       // the plug-in called abort() or std::terminate(), or let a C++ exception out
  kExitEndedProcess = 11,  // the plug-in ended the process itself (exit, ExitProcess, TerminateProcess)
};

}  // namespace standin
