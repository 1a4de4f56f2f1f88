// The only work done on a thread that faults, or that ends the session
// through an import of the plug-in's that the stand-in redirected: its
// record, registers and thread are copied into the channel's memory, set
// aside before the plug-in was loaded, and the describer is woken. No
// allocation, lock or loader call: the thread may hold the heap's lock or
// the loader's, or have almost no stack left.
#pragma once

#include <windows.h>

#include "channel/session_channel_win.h"

namespace standin::win {

// Made once, before any plug-in code runs.
void prepareFaultCopies();

// Copies into `slot` when it is empty; false when another thread's fault has it.
// A copy into the final slot is the session's cause: no rule is judged after it.
bool copyFault(FaultCopy& slot, FaultKind kind, const EXCEPTION_RECORD* record, const CONTEXT* context,
               ULONG_PTR caller = 0, ULONG_PTR target = 0, LONG pending = -1);

// Wakes the describer; then waits at most `ms` until it has told `slot` (a
// raised fault is told while its thread waits, its stack and the thrown
// object as they were). False when it did not in time.
void wakeDescriber();
bool awaitTold(const FaultCopy& slot, DWORD ms);
// For the describer, once a slot is told: a raised one is free again, the
// final one stays taken, so that no second verdict starts.
void toldSlot(FaultCopy& slot, CopyState state);
HANDLE faultSignal();

// A thread whose fault is the verdict waits here until the process ends.
[[noreturn]] void parkThread();

// What the session was doing, or that the plug-in's own thread faulted.
const char* phaseHere();

}  // namespace standin::win
