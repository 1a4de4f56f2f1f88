// What the runner tells of a crash: the exception, where in the plug-in it
// happened and how it got there, and for an access violation what was touched.
#pragma once

#include <windows.h>

#include <string>

#include "channel/session_channel_win.h"

namespace standin::win {

// "the plug-in crashed with exception 0xC0000005 (access violation, writing
// address 0x...) at MODULE+0xOFFSET while PHASE; backtrace: ...", or for a
// C++ exception of either runtime "the plug-in let a C++ exception out that
// nothing caught (TYPE: WHAT), thrown at ...".
std::string crashMessage(const FaultCopy& fault);

// A thrown C++ exception into the channel's thrown, thrownAt and
// thrownFrames, the frames of the plug-in's runtime left out.
void tellThrown(const FaultCopy& raised, SessionChannel& block);

// The verdict for a fault that ends the session, told in full by the
// describer (it reads the faulting thread's stack and the thrown object).
struct Told {
  std::string message;
  LONG code;
};
Told tellFinal(const FaultCopy& fault, const SessionChannel& block);

// The same in short from the copy alone, for the watching runner when the
// describer could not tell it: no module names, no backtrace.
Told tellCopy(const FaultCopy& fault);
// A pending fault: the describer's words, or the same in short.
Told tellPending(const PendingFault& fault);

// Sees every exception first, wherever it is raised: takes the plug-in's
// debug output, and copies faults and C++ throws for the describer (see
// SessionChannel); also catches abort(). Starts the describer.
void watchFatalFaults();

// While the plug-in's DllMain runs, a C++ exception it throws is recorded
// too: the loader would swallow one that leaves DllMain, and the plug-in's
// code may be gone by the time anyone asks.
void watchDllMain(bool running);

// Called by the C runtime's top-level filter for an exception nobody handled.
LONG WINAPI crashFilter(EXCEPTION_POINTERS* info);

}  // namespace standin::win
