#include "faults/pending_faults_win.h"

#include "faults/crash_report_win.h"
#include "faults/fault_copy_win.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"
#include "host/standin_host.h"

namespace standin::win {

namespace {

// How long the session's end waits for a thread to leave a fault's
// handling, and for a certain fault to be described.
constexpr ULONGLONG kSettleGraceMs = 1000;
constexpr ULONGLONG kDescribeMs = 5000;

bool isOpen(const PendingFault& fault) {
  const LONG state = fault.state;
  return (state == kPendingOpen || state == kPendingDescribing) && !fault.handled;
}

// Frees an entry whose thread went on; the describer frees one it was
// writing when it is done.
void release(PendingFault& fault) {
  if (InterlockedCompareExchange(&fault.state, kPendingFree, kPendingOpen) == kPendingOpen)
    InterlockedDecrement(&channel().pendingTaken);
}

// A fault whose copy did not reach the describer (it was telling another)
// is told from the entry alone, once what it was telling is told.
void awaitDescribed(const PendingFault& fault) {
  awaitTold(channel().raised, kDescribeMs);
  const ULONGLONG until = GetTickCount64() + kDescribeMs;
  while (fault.code == 0 && fault.coming && GetTickCount64() < until) Sleep(5);
}

// Whether the thread has left the fault's handling: it ended, or its stack
// pointer is back at or above the fault's (handlers run below it).
bool leftHandling(const PendingFault& fault) {
  if (fault.thread == GetCurrentThreadId()) return true;
  const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | SYNCHRONIZE, FALSE, fault.thread);
  if (!thread) return true;
  bool left = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  if (!left && SuspendThread(thread) != static_cast<DWORD>(-1)) {
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    left = GetThreadContext(thread, &context) && context.Rsp >= fault.stack;
    ResumeThread(thread);
  }
  CloseHandle(thread);
  return left;
}

// The crash message with the pending end said before its backtrace.
std::string stillBeingHandled(const std::string& message) {
  const std::string note = ", still being handled when the session ended";
  const std::size_t backtrace = message.find("; backtrace: ");
  if (backtrace == std::string::npos) return message + note;
  return message.substr(0, backtrace) + note + message.substr(backtrace);
}

}  // namespace

LONG claimPending(const EXCEPTION_RECORD& record, const CONTEXT& context, const char* phase) {
  SessionChannel& block = channel();
  for (LONG i = 0; i < kMostPending; ++i) {
    PendingFault& fault = block.pending[i];
    if (InterlockedCompareExchange(&fault.state, kPendingClaimed, kPendingFree) != kPendingFree) continue;
    fault.handled = 0;
    fault.certain = 0;
    fault.code = 0;
    fault.coming = 0;
    fault.thread = GetCurrentThreadId();
    fault.heartbeat = block.heartbeat;
    fault.stack = context.Rsp;
    copyText(fault.phase, phase);
    const auto* from = reinterpret_cast<const unsigned char*>(&record);
    auto* to = reinterpret_cast<unsigned char*>(&fault.record);
    for (std::size_t at = 0; at < sizeof fault.record; ++at) to[at] = from[at];
    fault.record.ExceptionRecord = nullptr;
    fault.message[0] = '\0';
    InterlockedIncrement(&fault.seq);
    InterlockedIncrement(&block.pendingTaken);
    InterlockedExchange(&fault.state, kPendingOpen);
    return i;
  }
  return -1;
}

void settlePending(DWORD thread) {
  SessionChannel& block = channel();
  if (block.pendingTaken == 0) return;
  for (PendingFault& fault : block.pending) {
    if (fault.thread != thread || !isOpen(fault) || fault.certain) continue;
    InterlockedExchange(&fault.handled, 1);
    release(fault);
  }
}

void describePending(LONG entry, LONG seq, LONG code, const std::string& message) {
  if (entry < 0 || entry >= kMostPending) return;
  PendingFault& fault = channel().pending[entry];
  if (fault.seq != seq || fault.handled) return;
  if (InterlockedCompareExchange(&fault.state, kPendingDescribing, kPendingOpen) != kPendingOpen) return;
  if (fault.seq == seq) {
    copyText(fault.message, message.c_str());
    InterlockedExchange(&fault.code, code);
  }
  InterlockedExchange(&fault.state, kPendingOpen);
  if (fault.handled) release(fault);
}

void makePendingCertain(DWORD thread) {
  StandinHost::instance().stopJudging();
  for (PendingFault& fault : channel().pending)
    if (fault.thread == thread && isOpen(fault)) InterlockedExchange(&fault.certain, 1);
}

void abandonForCertainFault() {
  for (const PendingFault& fault : channel().pending) {
    if (!isOpen(fault) || !fault.certain) continue;
    awaitDescribed(fault);
    const Told told = tellPending(fault);
    abandon(told.message, static_cast<ExitCode>(told.code));
  }
}

void abandonForStandingFault() {
  const PendingFault* fault = standingFault(channel());
  if (!fault) return;
  awaitDescribed(*fault);
  const Told told = tellPending(*fault);
  abandon(told.message, static_cast<ExitCode>(told.code));
}

void abandonForUnsettledFault() {
  SessionChannel& block = channel();
  const ULONGLONG until = GetTickCount64() + kSettleGraceMs;
  for (;;) {
    const PendingFault* left = nullptr;
    for (PendingFault& fault : block.pending) {
      if (!isOpen(fault)) continue;
      if (!fault.certain && leftHandling(fault)) {
        InterlockedExchange(&fault.handled, 1);
        release(fault);
      } else {
        left = &fault;
      }
    }
    if (!left) return;
    if (left->certain || GetTickCount64() >= until) {
      awaitDescribed(*left);
      const Told told = tellPending(*left);
      abandon(left->certain ? told.message : stillBeingHandled(told.message), static_cast<ExitCode>(told.code));
    }
    Sleep(20);
  }
}

}  // namespace standin::win

// A thread that ends as threads end went on from its faults; one that the
// loader never tells of (TerminateThread) is sampled at the session's end.
static void NTAPI settleEndingThread(void*, DWORD reason, void*) {
  if (reason == DLL_THREAD_DETACH) standin::win::settlePendingHere();
}
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK g_settleEndingThread =
    &settleEndingThread;
