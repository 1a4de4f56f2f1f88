#include "session/watchdog_win.h"

#include <string>

#include "faults/crash_report_win.h"
#include "faults/pending_faults_win.h"
#include "faults/running_thread_win.h"
#include "session/session_win.h"

namespace standin::win {

namespace {
constexpr DWORD kLookEveryMs = 50;
}

// Running before the plug-in loads: a DllMain that holds the loader lock for
// ever would keep it from watching at all.
Watchdog::Watchdog(std::uint64_t stallMs) : stallMs_(stallMs) {
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &runner_, SYNCHRONIZE, FALSE, 0);
  quit_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (quit_) thread_ = startRunningThread(&Watchdog::threadMain, this);
}

Watchdog::~Watchdog() {
  if (thread_) {
    SetEvent(quit_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (quit_) CloseHandle(quit_);
  if (runner_) CloseHandle(runner_);
}

// The runner's thread ended under the session: a fault behind the plug-in's
// own unhandled-exception filter, which ends the thread, or the plug-in
// ending it itself, need not wait for the stall cap.
bool Watchdog::runnerEnded() const { return runner_ && WaitForSingleObject(runner_, 0) == WAIT_OBJECT_0; }

DWORD WINAPI Watchdog::threadMain(void* self) {
  auto* watchdog = static_cast<Watchdog*>(self);
  LONG lastSeen = channel().heartbeat;
  ULONGLONG lastChange = GetTickCount64();
  while (WaitForSingleObject(watchdog->quit_, kLookEveryMs) == WAIT_TIMEOUT) {
    if (watchdog->runnerEnded()) {
      abandonForStandingFault();
      abandon(std::string("the thread the host runs the plug-in's script on ended while ") + progress().phase +
                  " (ExitThread, TerminateThread or _endthreadex, called where the stand-in does not see it)",
              kExitMisbehaved);
    }
    const LONG now = channel().heartbeat;
    if (now != lastSeen) {
      lastSeen = now;
      lastChange = GetTickCount64();
    } else if (GetTickCount64() - lastChange > watchdog->stallMs_) {
      // A fault the plug-in did not recover from, with its own filter say, is why.
      abandonForStandingFault();
      abandon("the plug-in is stuck: no call to the host for " + std::to_string(watchdog->stallMs_) +
                  " ms while " + progress().phase,
              kExitStuck);
    }
  }
  return 0;
}

}  // namespace standin::win
