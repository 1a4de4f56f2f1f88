#include "session/session_thread_win.h"

#include <windows.h>

#include "faults/plugin_output_win.h"
#include "faults/running_thread_win.h"
#include "session/session_win.h"

namespace standin::win {

namespace {

struct SessionStart {
  int argc;
  char** argv;
  int code;
};

DWORD WINAPI runnerMain(void* given) {
  auto* start = static_cast<SessionStart*>(given);
  noteRunnerThread(GetCurrentThreadId());
  start->code = runSession(start->argc, start->argv);
  return 0;
}

}  // namespace

int runSessionOnItsOwnThread(int argc, char** argv) {
  SessionStart start{argc, argv, kExitStandinFailed};
  const HANDLE thread = startRunningThread(&runnerMain, &start);
  if (!thread) return kExitStandinFailed;
  // A fault at the thread's end (a callback into the unloaded plug-in) parks
  // it: the runner that watches sees the fault and ends the process.
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return start.code;
}

}  // namespace standin::win
