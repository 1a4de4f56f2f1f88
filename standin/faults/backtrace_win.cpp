#include "faults/backtrace_win.h"

#include <algorithm>
#include <cstring>

#include "faults/loader_list_win.h"
#include "faults/outlived_threads_win.h"
#include "base/quoted_text.h"

namespace standin::win {

namespace {

struct HostModules {
  const void* standin = nullptr;
  const void* runner = nullptr;
  std::wstring systemFolder;  // lower case, ending in a backslash
} g_host;

constexpr std::size_t kBacktraceFrames = 16;
constexpr std::size_t kOverflowFrames = 200000;

std::wstring lowerCase(const wchar_t* text, std::size_t length) {
  std::wstring lower(text, length);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
  return lower;
}

std::string narrow(const std::wstring& text) {
  std::string out(text.size() * 3 + 1, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                         static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return out;
}

// ___chkstk_ms starts "push rcx; push rax; cmp rax, 0x1000" and probes the
// stack with "or qword [rcx], 0". A stack overflow faults at one of its
// pushes or probes: how many bytes it had pushed then, or -1 when `pc` is
// not in it.
int stackProbePushed(const void* pc) {
  static const unsigned char probe[] = {0x48, 0x83, 0x09, 0x00};
  static const unsigned char start[] = {0x51, 0x50, 0x48, 0x3D, 0x00, 0x10, 0x00, 0x00};
  const auto* code = static_cast<const unsigned char*>(pc);
  MEMORY_BASIC_INFORMATION region{};
  const bool mapped = VirtualQuery(static_cast<const unsigned char*>(pc) - 64, &region, sizeof region) &&
                      region.Type == MEM_IMAGE;
  if (!mapped || !moduleAt(pc).plugin) return -1;
  if (std::memcmp(code, start, sizeof start) == 0) return 0;
  if (std::memcmp(code - 1, start, sizeof start) == 0) return 8;
  if (std::memcmp(code, probe, sizeof probe) != 0) return -1;
  for (std::size_t back = sizeof start; back <= 64; ++back)
    if (std::memcmp(code - back, start, sizeof start) == 0) return 16;
  return -1;
}

// Whether [from, from + 8) lies in readable, committed memory; `known` keeps
// the last region asked about, as a stack is walked through one region.
bool readable(DWORD64 from, MEMORY_BASIC_INFORMATION& known) {
  const auto base = reinterpret_cast<DWORD64>(known.BaseAddress);
  if (known.State == MEM_COMMIT && from >= base && from + 8 <= base + known.RegionSize) return true;
  if (!VirtualQuery(reinterpret_cast<const void*>(from), &known, sizeof known)) return false;
  const DWORD access = known.Protect & 0xFF;
  const bool canRead = access == PAGE_READWRITE || access == PAGE_READONLY || access == PAGE_EXECUTE_READWRITE;
  return known.State == MEM_COMMIT && canRead && !(known.Protect & PAGE_GUARD);
}

bool unwindOnce(CONTEXT& context, MEMORY_BASIC_INFORMATION& stack) {
  DWORD64 imageBase = 0;
  const DWORD64 pc = context.Rip;
  if (RUNTIME_FUNCTION* function = RtlLookupFunctionEntry(pc, &imageBase, nullptr)) {
    void* handlerData = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, pc, function, &context, &handlerData, &establisher, nullptr);
  } else {
    // A leaf function keeps its return address on top; the probe as many slots higher as it pushed.
    const int probed = stackProbePushed(reinterpret_cast<const void*>(pc));
    const DWORD64 pushed = probed > 0 ? static_cast<DWORD64>(probed) : 0;
    if (!readable(context.Rsp + pushed, stack)) return false;
    context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp + pushed);
    context.Rsp += pushed + 8;
  }
  return context.Rip != 0 && readable(context.Rsp, stack);
}

std::string placesOf(const std::vector<const void*>& frames, std::size_t from, std::size_t count) {
  std::string text;
  for (std::size_t i = from; i < frames.size() && i < from + count; ++i)
    text += (text.empty() ? "" : " ") + placeOf(frames[i]);
  return text;
}

// How often the `period` frames from `start` repeat one after the other.
std::size_t repeats(const std::vector<const void*>& frames, std::size_t start, std::size_t period) {
  std::size_t times = 1;
  for (std::size_t at = start + period; at + period <= frames.size(); at += period, ++times)
    if (!std::equal(frames.begin() + start, frames.begin() + start + period, frames.begin() + at)) break;
  return times;
}

// The frames that repeated most, at most 8 of them, starting among the first
// few (a recursing function's innermost frame is often at another call).
std::string recursionOf(const std::vector<const void*>& frames) {
  std::size_t bestStart = 0, bestPeriod = 0, bestTimes = 0;
  for (std::size_t start = 0; start < 4 && start < frames.size(); ++start)
    for (std::size_t period = 1; period <= 8; ++period) {
      const std::size_t times = repeats(frames, start, period);
      if (times > bestTimes && times >= 3) bestStart = start, bestPeriod = period, bestTimes = times;
    }
  if (bestTimes == 0) return "; backtrace: " + placesOf(frames, 0, kBacktraceFrames);
  const std::size_t entered = bestStart + bestPeriod * bestTimes;
  std::string text = "; recursion: " + placesOf(frames, bestStart, bestPeriod) + " repeated " +
                     std::to_string(bestTimes) + " times";
  if (entered < frames.size()) text += ", entered from " + placesOf(frames, entered, 4);
  return text;
}

}  // namespace

void rememberHostModules() {
  HMODULE own = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<const char*>(&rememberHostModules), &own);
  g_host.standin = own;
  g_host.runner = GetModuleHandleA(nullptr);
  wchar_t folder[MAX_PATH] = L"";
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  g_host.systemFolder = lowerCase(folder, length < MAX_PATH ? length : 0) + L"\\";
}

CodeModule moduleAt(const void* address) {
  CodeModule module;
  MEMORY_BASIC_INFORMATION region{};
  if (!VirtualQuery(address, &region, sizeof region) || region.Type != MEM_IMAGE) {
    // Code of a plug-in that unloaded itself, or outlived by a thread of its own.
    const char* name = nullptr;
    if (unloadedPluginAt(address, module.base, name)) {
      module.name = name;
      module.plugin = true;
    }
    return module;
  }
  module.base = region.AllocationBase;
  const LoaderEntry* entry = loaderEntryOf(module.base);
  if (!entry || !entry->fullDllName.Buffer) return module;
  const std::wstring path = lowerCase(entry->fullDllName.Buffer, entry->fullDllName.Length / sizeof(wchar_t));
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::wstring original(entry->fullDllName.Buffer, entry->fullDllName.Length / sizeof(wchar_t));
  module.name = narrow(slash == std::wstring::npos ? original : original.substr(slash + 1));
  module.plugin = module.base != g_host.standin && module.base != g_host.runner &&
                  path.compare(0, g_host.systemFolder.size(), g_host.systemFolder) != 0;
  return module;
}

std::string placeOf(const void* address) {
  const CodeModule module = moduleAt(address);
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  if (module.name.empty()) return hex(at, 16);
  return module.name + "+" + hex(at - reinterpret_cast<std::uintptr_t>(module.base), 0);
}

std::vector<const void*> stackOf(const CONTEXT& context, std::size_t limit) {
  std::vector<const void*> frames;
  CONTEXT walked = context;
  MEMORY_BASIC_INFORMATION stack{};
  for (std::size_t i = 0; i < limit && walked.Rip != 0; ++i) {
    frames.push_back(reinterpret_cast<const void*>(walked.Rip - (i == 0 ? 0 : 1)));
    if (!unwindOnce(walked, stack)) break;
  }
  return frames;
}

std::vector<const void*> pluginFramesOf(const std::vector<const void*>& stack) {
  std::vector<const void*> frames;
  const void* lastBase = nullptr;
  bool lastWasPlugin = false;
  for (const void* pc : stack) {
    MEMORY_BASIC_INFORMATION region{};
    const bool known = VirtualQuery(pc, &region, sizeof region) && region.AllocationBase &&
                       region.AllocationBase == lastBase;
    if (!known) {
      lastBase = region.AllocationBase;
      lastWasPlugin = moduleAt(pc).plugin;
    }
    if (lastWasPlugin && !(frames.empty() && stackProbePushed(pc) >= 0)) frames.push_back(pc);
  }
  return frames;
}

FaultPlace placeOfFault(const CONTEXT& context, const void* faultAddress, bool overflow, std::size_t runtimeFrames) {
  std::vector<const void*> frames = pluginFramesOf(stackOf(context, overflow ? kOverflowFrames : kBacktraceFrames * 4));
  frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(std::min(runtimeFrames, frames.size())));
  if (frames.empty()) return {placeOf(faultAddress), ""};
  FaultPlace place{placeOf(frames[0]), ""};
  if (!moduleAt(faultAddress).plugin) place.at += " (raised in " + placeOf(faultAddress) + ")";
  place.frames = overflow ? recursionOf(frames) : "; backtrace: " + placesOf(frames, 0, kBacktraceFrames);
  return place;
}

}  // namespace standin::win
