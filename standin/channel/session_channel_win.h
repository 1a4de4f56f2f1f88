// What the session's process tells the runner's process that watches it.
// It lives in memory that both map, so it outlasts the session's process
// however that ends: by the runner's verdict, by the plug-in's exit or
// TerminateProcess, or killed while it hangs under the loader lock.
//
// A thread that faults writes here, and nowhere else, before anything of
// the stand-in's looks at the fault: it copies the record, the registers and
// its thread into a FaultCopy set aside before the plug-in was loaded, with
// no allocation, lock or loader call, and signals. The stand-in's describer
// thread tells it in words; when it cannot, the watching runner tells it
// from the copy. The watching runner alone decides the verdict, the exit
// code, the stop line and the summary.
#pragma once

#include <windows.h>

#include <cstdint>

namespace standin::win {

// What ended, or may end, the session, as the thread it happened on copied it.
enum FaultKind : LONG {
  kFaultNone = 0,
  kFaultRaised,         // first chance: the plug-in may yet handle it
  kFaultUnhandled,      // nothing handled it
  kFaultUncaughtThrow,  // a C++ exception nothing caught: the plug-in's terminate handler runs next
  kFaultOverflow,       // a stack overflow, the thread parked on what is left of its stack
  kFaultAborted,        // abort(), std::terminate
  kFaultFailFast,       // RaiseFailFastException
  kFaultInHandler,      // a fault inside the plug-in's own exception handler
  kFaultThreadEnded,    // ExitThread or TerminateThread of a thread the session runs the plug-in on
  kFaultFreedItself,    // FreeLibrary of the plug-in's own module unloaded it under its running code
};

// A copy's slot: empty, being written by the faulting thread, written and
// waiting for the describer, and for the final fault, told (it stays taken,
// so that no second verdict starts).
enum CopyState : LONG { kCopyEmpty = 0, kCopyWriting, kCopyWritten, kCopyToldFinal };

struct FaultCopy {
  volatile LONG state = kCopyEmpty;
  volatile LONG kind = kFaultNone;
  LONG pending = -1;        // for a first chance: its entry among the pending faults, and that entry's count
  LONG pendingSeq = 0;
  DWORD thread = 0;
  LONG heartbeat = 0;       // the session's heartbeat when it happened
  ULONGLONG tick = 0;       // GetTickCount64, the same clock in both processes
  ULONG_PTR caller = 0;     // the plug-in's call, for an import the stand-in redirected
  ULONG_PTR target = 0;     // the thread ended or the module freed
  char phase[96] = "";
  EXCEPTION_RECORD record{};
  CONTEXT context{};
};

// A first-chance fault on a thread, which the plug-in or the system may yet
// handle. It is pending until its thread shows that it went on (a call to
// the host or to a redirected import, another exception, its normal end,
// or a stack pointer back at or above the fault's), and certain once the
// loader swallowed it from DllMain. One entry a fault, kept per thread.
enum PendingState : LONG { kPendingFree = 0, kPendingClaimed, kPendingOpen, kPendingDescribing };
constexpr LONG kMostPending = 32;

struct PendingFault {
  volatile LONG state = kPendingFree;
  volatile LONG handled = 0;  // its thread went on: never a verdict
  volatile LONG certain = 0;  // nothing of the plug-in's handled it
  volatile LONG seq = 0;      // counted at each claim, so that a late description finds its own fault
  volatile LONG code = 0;     // the exit code it gives, once described
  volatile LONG coming = 0;   // its copy reached the describer, which will describe it
  DWORD thread = 0;
  LONG heartbeat = 0;         // the session's heartbeat when it happened
  ULONG_PTR stack = 0;        // the stack pointer at the fault
  char phase[96] = "";
  EXCEPTION_RECORD record{};  // told from this when the describer could not
  char message[4096] = "";
};

// A session for a served process (one that plays session after session):
// what its command line would say, and where the runner's lines go.
struct ServedRequest {
  char scenario[4 * MAX_PATH] = "";
  char plugin[4 * MAX_PATH] = "";
  char trace[4 * MAX_PATH] = "";
  char output[4 * MAX_PATH] = "";
  char errors[4 * MAX_PATH] = "";
};

// Counted up whenever the block's layout changes: the runner and the process
// it starts come from one file, yet a block of another layout is refused
// rather than read.
constexpr LONG kChannelVersion = 4;

struct SessionChannel {
  const LONG version = kChannelVersion;
  const LONG size = sizeof(SessionChannel);
  // Set by a runner that serves sessions to one process: the event it sets
  // when `request` holds the next session. Kept by beginSession.
  volatile ULONG_PTR goEvent = 0;
  ServedRequest request;
  // The session whose process, clean after it, waits for the next.
  volatile LONG parked = 0;
  // Counted up by beginSession: a process may play several sessions one after
  // another on one block, each starting from a clean block.
  volatile LONG session = 0;
  // Counted up by every call to the host and every step of the runner.
  volatile LONG heartbeat = 0;
  // The scenario's stall cap, once it is read; 0 before.
  volatile LONG stallMs = 0;
  // For the stop line and the summary that the watching runner writes.
  volatile LONG64 frame = 1;
  volatile LONG64 framesPlayed = 0;
  volatile LONG64 calls = 0;
  // The session's own end: 1 when it told everything but the summary, with
  // its exit code; the process has yet to end (atexit, DllMain at exit).
  volatile LONG ended = 0;
  volatile LONG endCode = 0;
  volatile ULONGLONG endedAt = 0;
  // A verdict the session's process reached: claimed by one thread, which
  // writes `message`, then publishes the code in `verdict`: one read of
  // `verdict` that is not 0 finds the message whole.
  volatile LONG verdictClaimed = 0;
  volatile LONG verdict = 0;
  // The final fault once described: its exit code and `faultMessage`.
  volatile LONG fault = 0;
  // First-chance faults not yet handled, and how many entries are taken.
  PendingFault pending[kMostPending];
  volatile LONG pendingTaken = 0;
  // The C++ exception last thrown, described as it was thrown, with the
  // heartbeat and thread then: in flight while neither has moved on.
  volatile LONG thrownHeartbeat = -1;
  volatile DWORD thrownThread = 0;
  volatile ULONG_PTR thrownObject = 0;  // its _Unwind_Exception: a rethrow keeps the first throw's place
  // The heartbeat when the process began to end (the plug-in's DllMain at
  // process exit may call the host still): -1 before.
  volatile LONG exitHeartbeat = -1;
  // A fault being told: `raised` waits for the describer while its thread
  // waits too; `final` ends the session, `finalDescribed` once `faultMessage`
  // tells it; `finalAbort` when the plug-in's terminate handler ended in abort.
  FaultCopy raised;
  FaultCopy final;
  volatile LONG finalDescribed = 0;
  volatile LONG finalAbort = 0;
  volatile LONG traceOpen = 0;
  char phase[96] = "starting";
  char message[4096] = "";
  char faultMessage[4096] = "";
  char thrown[1024] = "";       // "TYPE: WHAT"
  char thrownAt[256] = "";      // the plug-in's throw
  char thrownFrames[2048] = "";  // "; backtrace: ..."
  char tracePath[4 * MAX_PATH] = "";
  // What a passing session left in a served process, which then ends: "1 more handle, the locale".
  char left[512] = "";
};

// After a verdict, the session's process may take this long to write out its
// trace and end; after a stall cap, this long to tell it.
constexpr ULONGLONG kGraceMs = 3000;

// The block of this process: mapped from the runner's when there is one,
// a block of its own otherwise.
SessionChannel& channel();

// Clears everything of the last session but the trace's path and counts the
// session; the next session's process or player starts here.
void beginSession(SessionChannel& block);

// The watching runner makes the block in an inheritable mapping, which the
// process it starts finds by the handle's number in kChannelVariable.
SessionChannel* makeSharedChannel(HANDLE& mapping);
// The same block for a runner of several processes at once: not this process's own.
SessionChannel* makeChannelMapping(HANDLE& mapping);
extern const char* const kChannelVariable;
// True in the session's process, which has the runner's block now.
bool attachRunnersChannel();

// Copies `text` into a block field, cut to fit; no allocation, no lock.
void copyText(char* field, std::size_t size, const char* text);
template <std::size_t N>
void copyText(char (&field)[N], const char* text) {
  copyText(field, N, text);
}

// Whether a pending fault is what ended the session: a certain one, or one
// after which the session did nothing more.
const PendingFault* standingFault(const SessionChannel& block);
inline bool faultStands(const SessionChannel& block) { return standingFault(block) != nullptr; }

// The session's stall cap: the scenario's, or the default before it is read.
ULONGLONG stallMsOf(const SessionChannel& block);

// Whether the C++ exception last thrown is still in flight.
bool throwStands(const SessionChannel& block);

// Notes, once, that the process began to end.
void noteProcessExit(SessionChannel& block);

}  // namespace standin::win
