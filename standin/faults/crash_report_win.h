// What the runner tells of a crash: the exception, where in the plug-in it
// happened and how it got there, and for an access violation what was touched.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// "the plug-in crashed with exception 0xC0000005 (access violation, writing
// address 0x...) at MODULE+0xOFFSET while PHASE; backtrace: ...", or for a
// C++ exception of GCC's runtime "the plug-in let a C++ exception out that
// nothing caught (TYPE: WHAT), thrown at ...".
std::string crashMessage(const EXCEPTION_RECORD& record, const CONTEXT& context, const char* phase);

// Sees every exception first, wherever it is raised: takes the plug-in's
// debug output, parks a thread that overflowed its stack for the watchdog to
// report, and records faults that may yet end the session (see
// SessionChannel::fault); also catches abort().
void watchFatalFaults();

// A stack overflow caught by that handler, told in words; false when there is none.
bool takeStackOverflow(std::string& message);

// While the plug-in's DllMain runs, a C++ exception it throws is recorded
// too: the loader would swallow one that leaves DllMain, and the plug-in's
// code may be gone by the time anyone asks.
void watchDllMain(bool running);

// Faults recorded so far, counted; forgetting them is for a DllMain that
// returned after them, so it caught them itself.
LONG faultsRecorded();
void forgetFault();

// Called by the C runtime's top-level filter for an exception nobody handled.
LONG WINAPI crashFilter(EXCEPTION_POINTERS* info);

}  // namespace standin::win
