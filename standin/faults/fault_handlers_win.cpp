// The stand-in's handlers on the thread that faults: each copies what it
// sees into the channel and signals (fault_copy_win.h); the describer tells.
#include <csignal>

#include "faults/backtrace_win.h"
#include "faults/crash_report_win.h"
#include "faults/cxx_exception_win.h"
#include "faults/fault_copy_win.h"
#include "faults/fault_describer_win.h"
#include "faults/guarded_call_win.h"
#include "faults/msvc_exception_win.h"
#include "faults/pending_faults_win.h"
#include "faults/plugin_output_win.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"

namespace standin::win {

namespace {

// How long a thread waits for its fault to be told: the thrown object and
// the stack stay as they were meanwhile.
constexpr DWORD kTellMs = 500;

volatile LONG g_inDllMain = 0;

// Exceptions that end a program unless something handles them: errors, and
// the breakpoint of DebugBreak. Debug output and a C++ throw are not faults.
bool isFault(DWORD code) { return (code >> 30) == 3 || code == EXCEPTION_BREAKPOINT; }

// The final fault is the verdict: a thread whose fault comes second waits
// for the end, as does the one that copied it.
[[noreturn]] void endWith(FaultKind kind, const EXCEPTION_RECORD* record, const CONTEXT* context) {
  if (copyFault(channel().final, kind, record, context)) wakeDescriber();
  parkThread();
}

// The uncaught C++ exception told already is the verdict once the plug-in's
// terminate handler ends, however it ends.
bool terminateHandlerEnds(bool sameThread) {
  SessionChannel& block = channel();
  if (block.final.state == kCopyEmpty || block.final.kind != kFaultUncaughtThrow) return false;
  if (sameThread && block.final.thread != GetCurrentThreadId()) return false;
  InterlockedExchange(&block.finalAbort, 1);
  wakeDescriber();
  parkThread();
}

LONG WINAPI onException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  // A thread that raises again went on from its last fault; libgcc's own
  // exception that unwinds a throw to its handler is that throw still.
  constexpr DWORD kGccUnwind = 0x21474343;
  if (!onDescriberThread() && record.ExceptionCode != kGccUnwind) settlePendingHere();
  if (takeDebugString(record)) return EXCEPTION_CONTINUE_EXECUTION;
  // The describer's own fault: inside a guarded call (what() of a thrown
  // object) it gives up that call; elsewhere it is for the runner to tell.
  if (onDescriberThread()) return resumeGuarded(info) ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
  if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) endWith(kFaultOverflow, &record, info->ContextRecord);
  const bool thrown = isCxxThrow(record);
  if (!isFault(record.ExceptionCode) && !thrown) return EXCEPTION_CONTINUE_SEARCH;
  // A fault in it (libstdc++'s own handler calls what(), which may crash) is such an end.
  if (!thrown) terminateHandlerEnds(true);
  // A throw is a fault only where the loader would swallow it: in DllMain.
  const LONG pending = !thrown || g_inDllMain ? claimPending(record, *info->ContextRecord, phaseHere()) : -1;
  // Each throw is told as it is thrown: should std::terminate follow, the
  // thrown object and the stack it was thrown from are gone by then.
  if (copyFault(channel().raised, kFaultRaised, &record, info->ContextRecord, 0, g_inDllMain, pending)) {
    if (pending >= 0) InterlockedExchange(&channel().pending[pending].coming, 1);
    wakeDescriber();
    awaitTold(channel().raised, kTellMs);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// abort() after an uncaught C++ exception is the end of the plug-in's
// terminate handler: the exception, told already, is the verdict.
void onAbort(int) {
  terminateHandlerEnds(false);
  CONTEXT context{};
  RtlCaptureContext(&context);
  endWith(kFaultAborted, nullptr, &context);
}

}  // namespace

void watchFatalFaults() {
  rememberHostModules();
  startFaultDescriber();
  AddVectoredExceptionHandler(1, &onException);
  std::signal(SIGABRT, &onAbort);
  catchMsvcAbort(&onAbort);
}

void watchDllMain(bool running) { InterlockedExchange(&g_inDllMain, running ? 1 : 0); }

// GCC's C++ runtime raises its exceptions to find a handler; one that finds
// none is handed back to the runtime, which calls std::terminate: the
// plug-in's own terminate handler, if it set one, runs once the describer
// has read the exception. Whatever it does then (abort, exit, loop), the
// exception is the verdict.
LONG WINAPI crashFilter(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (onDescriberThread()) parkThread();
  SessionChannel& block = channel();
  if (returnsToTerminate(record)) {
    if (!copyFault(block.final, kFaultUncaughtThrow, &record, info->ContextRecord)) parkThread();
    wakeDescriber();
    awaitTold(block.final, kTellMs);
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  endWith(isCxxThrow(record) ? kFaultUncaughtThrow : kFaultUnhandled, &record, info->ContextRecord);
}

}  // namespace standin::win
