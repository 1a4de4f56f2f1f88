#include "faults/fault_describer_win.h"

#include "faults/crash_report_win.h"
#include "faults/cxx_exception_win.h"
#include "faults/fault_copy_win.h"
#include "faults/outlived_threads_win.h"
#include "faults/pending_faults_win.h"
#include "faults/running_thread_win.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"

namespace standin::win {

namespace {

DWORD g_describer = 0;

// A fault as it was raised: recorded, should the session end without a
// verdict (behind the plug-in's own filter, or swallowed by the loader); a
// throw is kept as the one in flight.
void tellRaised(FaultCopy& raised) {
  SessionChannel& block = channel();
  // Nothing the plug-in registered handles a fault in its unloaded code.
  const std::string outlived = outlivedMessage(raised.context, raised.thread);
  if (!outlived.empty()) abandon(outlived, kExitCrashed);
  const bool thrown = isCxxThrow(raised.record);
  if (thrown) {
    // The default terminate handler rethrows to print what(): the exception keeps its first place.
    const ULONG_PTR object = thrownObjectOf(raised.record);
    if (object == 0 || object != block.thrownObject || raised.thread != block.thrownThread)
      tellThrown(raised, block);
    block.thrownObject = object;
    block.thrownThread = raised.thread;
    block.thrownHeartbeat = raised.heartbeat;
  }
  if (raised.pending >= 0)
    describePending(raised.pending, raised.pendingSeq, thrown ? kExitAborted : kExitCrashed, crashMessage(raised));
  toldSlot(raised, kCopyEmpty);
}

// The fault that ends the session; an uncaught C++ exception waits for the
// plug-in's terminate handler, which the watching runner gives a second.
void tellFinal(FaultCopy& final) {
  SessionChannel& block = channel();
  const bool raised = final.kind == kFaultUnhandled || final.kind == kFaultOverflow || final.kind == kFaultInHandler;
  const std::string outlived = raised ? outlivedMessage(final.context, final.thread) : "";
  if (!outlived.empty()) abandon(outlived, kExitCrashed);
  const Told told = tellFinal(final, block);
  InterlockedExchange(&block.fault, 0);
  copyText(block.faultMessage, told.message.c_str());
  InterlockedExchange(&block.fault, told.code);
  InterlockedExchange(&block.finalDescribed, 1);
  toldSlot(final, kCopyToldFinal);
  if (final.kind != kFaultUncaughtThrow || !returnsToTerminate(final.record))
    abandon(told.message, static_cast<ExitCode>(told.code));
}

DWORD WINAPI describe(void*) {
  SessionChannel& block = channel();
  for (;;) {
    WaitForSingleObject(faultSignal(), 100);
    if (block.raised.state == kCopyWritten) tellRaised(block.raised);
    if (block.final.state == kCopyWritten) tellFinal(block.final);
    if (block.finalAbort && block.finalDescribed) abandon(block.faultMessage, static_cast<ExitCode>(block.fault));
  }
}

}  // namespace

// Running before the plug-in loads: started late, it waited behind a
// DllMain that faulted holding the loader lock, and the runner told the
// fault without its place.
void startFaultDescriber() {
  prepareFaultCopies();
  if (g_describer != 0) return;
  if (const HANDLE thread = startRunningThread(&describe, nullptr, &g_describer)) CloseHandle(thread);
}

bool onDescriberThread() { return g_describer != 0 && GetCurrentThreadId() == g_describer; }

}  // namespace standin::win
