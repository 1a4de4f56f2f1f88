#include "faults/guarded_call_win.h"

namespace standin::win {

namespace {

// One guarded call at a time, on one thread: the describer's.
struct Guard {
  volatile DWORD thread = 0;
  volatile LONG faulted = 0;
  CONTEXT resume{};
};
Guard g_guard;

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool committedWith(const void* address, DWORD protections, MEMORY_BASIC_INFORMATION& region) {
  return VirtualQuery(address, &region, sizeof region) == sizeof region && region.State == MEM_COMMIT &&
         (region.Protect & PAGE_GUARD) == 0 && (region.Protect & protections) != 0;
}

}  // namespace

// Like setjmp: the captured registers are those to come back with, and the
// flag, in memory, tells the second return from the first.
__attribute__((noinline)) bool callGuarded(void (*call)(void*), void* argument) {
  g_guard.faulted = 0;
  RtlCaptureContext(&g_guard.resume);
  if (g_guard.faulted == 0) {
    g_guard.thread = GetCurrentThreadId();
    call(argument);
  }
  g_guard.thread = 0;
  return g_guard.faulted == 0;
}

bool resumeGuarded(EXCEPTION_POINTERS* info) {
  if (g_guard.thread != GetCurrentThreadId()) return false;
  g_guard.thread = 0;
  g_guard.faulted = 1;
  *info->ContextRecord = g_guard.resume;
  return true;
}

bool readable(const void* address, SIZE_T size) {
  const auto* at = static_cast<const unsigned char*>(address);
  const auto* end = at + size;
  if (size == 0 || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (!committedWith(at, kReadable, region)) return false;
    at = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

bool executable(const void* address) {
  MEMORY_BASIC_INFORMATION region{};
  return address && committedWith(address, kExecutable, region);
}

}  // namespace standin::win
