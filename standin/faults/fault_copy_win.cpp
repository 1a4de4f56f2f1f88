#include "faults/fault_copy_win.h"

#include "faults/plugin_output_win.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"
#include "host/standin_host.h"

namespace standin::win {

namespace {
HANDLE g_wake = nullptr;
HANDLE g_told = nullptr;  // manual-reset: any waiter looks at its own slot again
}  // namespace

void prepareFaultCopies() {
  if (!g_wake) g_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!g_told) g_told = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

const char* phaseHere() { return onSessionThread() ? progress().phase : "in a thread of its own"; }

bool copyFault(FaultCopy& slot, FaultKind kind, const EXCEPTION_RECORD* record, const CONTEXT* context,
               ULONG_PTR caller, ULONG_PTR target, LONG pending) {
  if (&slot == &channel().final) StandinHost::instance().stopJudging();
  if (InterlockedCompareExchange(&slot.state, kCopyWriting, kCopyEmpty) != kCopyEmpty) return false;
  slot.kind = kind;
  slot.pending = pending;
  slot.pendingSeq = pending >= 0 ? channel().pending[pending].seq : 0;
  slot.thread = GetCurrentThreadId();
  slot.heartbeat = channel().heartbeat;
  slot.tick = GetTickCount64();
  slot.caller = caller;
  slot.target = target;
  copyText(slot.phase, phaseHere());
  const auto* from = reinterpret_cast<const unsigned char*>(record);
  auto* to = reinterpret_cast<unsigned char*>(&slot.record);
  for (std::size_t i = 0; i < sizeof slot.record; ++i) to[i] = record ? from[i] : 0;
  slot.record.ExceptionRecord = nullptr;
  from = reinterpret_cast<const unsigned char*>(context);
  to = reinterpret_cast<unsigned char*>(&slot.context);
  for (std::size_t i = 0; i < sizeof slot.context; ++i) to[i] = context ? from[i] : 0;
  ResetEvent(g_told);
  InterlockedExchange(&slot.state, kCopyWritten);
  return true;
}

void wakeDescriber() { SetEvent(g_wake); }

bool awaitTold(const FaultCopy& slot, DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); slot.state == kCopyWritten && now < until; now = GetTickCount64())
    WaitForSingleObject(g_told, static_cast<DWORD>(until - now));
  return slot.state != kCopyWritten;
}

void toldSlot(FaultCopy& slot, CopyState state) {
  InterlockedExchange(&slot.state, state);
  SetEvent(g_told);
}

HANDLE faultSignal() { return g_wake; }

void parkThread() {
  for (;;) Sleep(INFINITE);
}

}  // namespace standin::win
