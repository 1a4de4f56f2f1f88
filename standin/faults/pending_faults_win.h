// First-chance faults of the plug-in's threads, each pending until its
// thread shows that it went on. A fault the plug-in or a system function
// handles (IsBadReadPtr reads under a handler of its own) is thereby no
// crash on any thread; one that nothing handles becomes certain, at the
// top-level filter, as a fail-fast, or when the loader swallows it from
// DllMain. The entries live in the channel (SessionChannel::pending), so
// the watching runner reads them too.
#pragma once

#include <windows.h>

#include <string>

#include "channel/session_channel_win.h"

namespace standin::win {

// On the faulting thread, inside the stand-in's first handler: takes an
// entry for it. No allocation, lock or loader call. -1 when all are taken.
LONG claimPending(const EXCEPTION_RECORD& record, const CONTEXT& context, const char* phase);

// The thread went on: its faults were handled. Cheap while none is pending.
void settlePending(DWORD thread);
inline void settlePendingHere() { settlePending(GetCurrentThreadId()); }

// The describer's words for the entry it was given, unless it was settled meanwhile.
void describePending(LONG entry, LONG seq, LONG code, const std::string& message);

// The loader swallowed what left the plug-in's entry point on `thread`:
// its open faults are certain, and no rule is judged after them.
void makePendingCertain(DWORD thread);

// Ends the session (abandon) for a certain fault, once it is described.
void abandonForCertainFault();
// Ends the session for a fault that stands (standingFault); returns when none does.
void abandonForStandingFault();
// At the session's end: a fault whose thread has not gone on within a grace
// is "still being handled when the session ended" (7).
void abandonForUnsettledFault();

}  // namespace standin::win
