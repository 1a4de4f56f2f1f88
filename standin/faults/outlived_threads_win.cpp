#include "faults/outlived_threads_win.h"

#include <tlhelp32.h>

#include "faults/backtrace_win.h"
#include "faults/fault_describer_win.h"
#include "host/plugin_memory_win.h"
#include "faults/plugin_threads_win.h"
#include "base/quoted_text.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"

namespace standin::win {

namespace {

struct Unloaded {
  volatile ULONG_PTR base = 0;       // 0: no plug-in unloaded since the last load
  volatile ULONG_PTR unloading = 0;  // its base from just before FreeLibrary on
  ULONG_PTR size = 0;
  char name[MAX_PATH] = "";
} g_unloaded;

constexpr std::size_t kMostFrames = 16;

bool imageMappedAt(ULONG_PTR base) {
  const auto* at = reinterpret_cast<const void*>(base);
  return at != nullptr && imageHolding(at) == at;
}

// FreeLibrary unmaps the code before it returns, and a thread spinning in
// it faults there at once: from the unmapping on, the plug-in counts as
// gone, or such a fault, told before FreeLibrary returned, would be a plain
// crash on one run and an outliving thread on the next.
ULONG_PTR unloadedBase() {
  if (g_unloaded.base != 0) return g_unloaded.base;
  const ULONG_PTR unloading = g_unloaded.unloading;
  return unloading != 0 && !imageMappedAt(unloading) ? unloading : 0;
}

bool inUnloaded(ULONG_PTR address, ULONG_PTR base) {
  return base != 0 && address >= base && address - base < g_unloaded.size;
}

// The end of the readable, committed region at `at`; 0 when `at` is not in one.
ULONG_PTR readableUpTo(ULONG_PTR at) {
  MEMORY_BASIC_INFORMATION region{};
  if (!VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) || region.State != MEM_COMMIT)
    return 0;
  const DWORD access = region.Protect & 0xFF;
  const bool canRead = (access == PAGE_READWRITE || access == PAGE_READONLY || access == PAGE_EXECUTE_READWRITE) &&
                       !(region.Protect & PAGE_GUARD);
  return canRead ? reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize : 0;
}

bool readableQword(ULONG_PTR at) { return at + 8 <= readableUpTo(at); }

// The unloaded plug-in's frames on a stack, into `frames` (no allocation: the
// thread looked at may be suspended holding the heap's lock). The stack is
// unwound through the system's code; from the first frame in the unloaded
// code on, which has no unwind data any more, it is read for the addresses
// that lie in that code. A stack whose unwinding meets none has none.
std::size_t unloadedFrames(const CONTEXT& context, ULONG_PTR frames[kMostFrames], ULONG_PTR base) {
  const auto inCode = [base](ULONG_PTR address) { return inUnloaded(address, base); };
  CONTEXT walked = context;
  std::size_t count = 0;
  for (int depth = 0; depth < 64 && walked.Rip != 0 && !inCode(walked.Rip); ++depth) {
    DWORD64 imageBase = 0;
    RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(walked.Rip, &imageBase, nullptr);
    if (!function) {
      if (!readableQword(walked.Rsp)) return 0;
      walked.Rip = *reinterpret_cast<const DWORD64*>(walked.Rsp);
      walked.Rsp += 8;
      continue;
    }
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, walked.Rip, function, &walked, &handlerData, &establisher, nullptr);
    if (!readableQword(walked.Rsp)) return 0;
  }
  if (!inCode(walked.Rip)) return 0;
  frames[count++] = walked.Rip;
  // The rest of the stack, up to the end of its region.
  const ULONG_PTR end = readableUpTo(walked.Rsp);
  for (ULONG_PTR at = walked.Rsp; count < kMostFrames && at + 8 <= end; at += 8) {
    const ULONG_PTR value = *reinterpret_cast<const ULONG_PTR*>(at);
    if (inCode(value) && value != frames[count - 1]) frames[count++] = value;
  }
  return count;
}

// The verdict names where the thread started, which is the same on every
// run; its id and its frames, which vary, go to standard error alone. A
// thread the plug-in did not start through its imports is named by where
// the system says it started, or else by its innermost frame.
std::string messageOf(DWORD thread, const ULONG_PTR* frames, std::size_t count, ULONG_PTR base) {
  std::string places;
  for (std::size_t i = 0; i < count; ++i)
    places += std::string(i == 0 ? "" : " ") + g_unloaded.name + "+" + hex(frames[i] - base, 0);
  if (count != 0) report("the thread that outlived the unload (thread " + std::to_string(thread) + "): its plug-in frames: " + places);
  ULONG_PTR start = pluginThreadStart(thread);
  if (!inUnloaded(start, base)) start = count != 0 ? frames[0] : 0;
  const std::string at = start != 0 ? std::string(g_unloaded.name) + "+" + hex(start - base, 0) : "an unknown place";
  return "the plug-in crashed: a thread outlived the plug-in's unload (a thread started at " + at +
         " still ran after FreeLibrary)";
}

}  // namespace

void notePluginUnloading(HMODULE plugin) {
  const auto* base = reinterpret_cast<const unsigned char*>(plugin);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  copyText(g_unloaded.name, sizeof g_unloaded.name, moduleAt(plugin).name.c_str());
  g_unloaded.size = nt->OptionalHeader.SizeOfImage;
  g_unloaded.unloading = reinterpret_cast<ULONG_PTR>(plugin);
}

bool notePluginGone() {
  if (imageMappedAt(g_unloaded.unloading)) return false;  // still loaded: it keeps a reference to itself
  g_unloaded.base = g_unloaded.unloading;
  return true;
}

void forgetUnloadedPlugin() {
  g_unloaded.base = 0;
  g_unloaded.unloading = 0;
}

bool unloadedPluginAt(const void* address, const void*& base, const char*& name) {
  const ULONG_PTR gone = unloadedBase();
  if (!inUnloaded(reinterpret_cast<ULONG_PTR>(address), gone)) return false;
  base = reinterpret_cast<const void*>(gone);
  name = g_unloaded.name;
  return true;
}

std::string outlivedMessage(const CONTEXT& context, DWORD thread) {
  ULONG_PTR frames[kMostFrames];
  const ULONG_PTR base = unloadedBase();
  const std::size_t count = unloadedFrames(context, frames, base);
  return count == 0 ? "" : messageOf(thread, frames, count, base);
}

// A thread that faulted in the unloaded code waits for the describer inside
// the stand-in's handler: its fault's registers tell where it was.
const CONTEXT* copiedContextOf(DWORD thread) {
  const SessionChannel& block = channel();
  if (block.raised.state == kCopyWritten && block.raised.thread == thread) return &block.raised.context;
  if (block.final.state >= kCopyWritten && block.final.thread == thread) return &block.final.context;
  return nullptr;
}

void abandonForOutlivingThread() {
  DWORD started = 0;
  ULONG_PTR start = 0;
  if (g_unloaded.base != 0 && outlivingPluginThread(started, start)) abandon(messageOf(started, nullptr, 0, g_unloaded.base), kExitCrashed);
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  const DWORD process = GetCurrentProcessId(), self = GetCurrentThreadId();
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != process || entry.th32ThreadID == self) continue;
    const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    ULONG_PTR frames[kMostFrames];
    std::size_t count = 0;
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
      if (GetThreadContext(thread, &context)) count = unloadedFrames(context, frames, g_unloaded.base);
      const CONTEXT* copied = count == 0 ? copiedContextOf(entry.th32ThreadID) : nullptr;
      if (copied) count = unloadedFrames(*copied, frames, g_unloaded.base);
      ResumeThread(thread);
    }
    CloseHandle(thread);
    if (count != 0) {
      CloseHandle(snapshot);
      abandon(messageOf(entry.th32ThreadID, frames, count, g_unloaded.base), kExitCrashed);
    }
  }
  CloseHandle(snapshot);
}

}  // namespace standin::win
