// Where the session is, for the watchdog, the crash filter and the watching
// runner: read from other threads and processes, so kept to plain words.
#pragma once

#include <windows.h>

#include "channel/session_channel_win.h"

namespace standin::win {

struct Progress {
  const char* volatile phase = "starting";
};

Progress& progress();
// Also tells the watching runner, in words of its own.
void setPhase(const char* phase);
inline void heartbeat() { InterlockedIncrement(&channel().heartbeat); }

}  // namespace standin::win
