#include "faults/entry_guard_win.h"

#include <cwchar>

#include "faults/crash_report_win.h"
#include "faults/import_hooks_win.h"
#include "faults/loader_list_win.h"
#include "faults/pending_faults_win.h"
#include "host/standin_host.h"

namespace standin::win {

namespace {

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, void*);
EntryPoint g_pluginEntry = nullptr;

// The thread in a call of the loader's into the plug-in that has not
// returned, 0 for none. The loader makes those calls one at a time, under
// its lock: a call that begins while another has not returned finds that
// the loader swallowed what left the other.
volatile DWORD g_unreturned = 0;

void enterPlugin() {
  const DWORD unreturned = InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_unreturned),
                                               static_cast<LONG>(GetCurrentThreadId()));
  if (unreturned != 0) makePendingCertain(unreturned);
}

// Returned: what it raised on the way, it handled.
void leavePlugin() {
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_unreturned), 0);
  settlePendingHere();
}

BOOL WINAPI guardedEntry(HINSTANCE module, DWORD reason, void* reserved) {
  if (reason == DLL_PROCESS_ATTACH) redirectPluginImports(module);
  if (reason == DLL_PROCESS_DETACH && reserved) {
    noteProcessExit(channel());
    StandinHost::instance().stopJudging();
  }
  enterPlugin();
  BOOL result = FALSE;
  // A C++ exception that leaves the plug-in stops here, where the loader
  // would swallow it: libgcc's unwinding of a rethrow does not stop at the
  // loader's frame under Wine, and went on through the stand-in's own
  // frames with the loader's lock still held.
  try {
    result = g_pluginEntry(module, reason, reserved);
  } catch (...) {
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_unreturned), 0);
    makePendingCertain(GetCurrentThreadId());
    return FALSE;
  }
  leavePlugin();
  return result;
}

// The plug-in's TLS callbacks, which the loader calls before DllMain, run in
// turn through one of the runner's in their place, and the same way.
constexpr std::size_t kMostCallbacks = 16;
PIMAGE_TLS_CALLBACK g_pluginCallbacks[kMostCallbacks + 1] = {};

void NTAPI guardedCallbacks(void* module, DWORD reason, void* reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved) noteProcessExit(channel());
  if (reason == DLL_PROCESS_ATTACH) redirectPluginImports(static_cast<HMODULE>(module));
  for (const PIMAGE_TLS_CALLBACK* callback = g_pluginCallbacks; *callback; ++callback) {
    enterPlugin();
    (*callback)(module, reason, reserved);
    leavePlugin();
  }
}

PIMAGE_TLS_CALLBACK* callbacksOf(HMODULE plugin) {
  const auto* base = reinterpret_cast<const unsigned char*>(plugin);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& tls = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (tls.VirtualAddress == 0) return nullptr;
  const auto* directory = reinterpret_cast<const IMAGE_TLS_DIRECTORY64*>(base + tls.VirtualAddress);
  return reinterpret_cast<PIMAGE_TLS_CALLBACK*>(directory->AddressOfCallBacks);
}

void guardCallbacks(HMODULE plugin) {
  PIMAGE_TLS_CALLBACK* callbacks = callbacksOf(plugin);
  if (!callbacks || !callbacks[0] || callbacks[0] == &guardedCallbacks) return;
  std::size_t count = 0;
  while (callbacks[count] && count < kMostCallbacks) ++count;
  DWORD was = 0;
  if (!VirtualProtect(callbacks, 2 * sizeof *callbacks, PAGE_READWRITE, &was)) return;
  for (std::size_t i = 0; i <= kMostCallbacks; ++i) g_pluginCallbacks[i] = i < count ? callbacks[i] : nullptr;
  callbacks[0] = &guardedCallbacks;
  callbacks[1] = nullptr;
  VirtualProtect(callbacks, 2 * sizeof *callbacks, was, &was);
}

// What the loader tells of a module it has mapped, before its TLS callbacks
// and DllMain run (LDR_DLL_LOADED_NOTIFICATION_DATA).
struct LoadedModule {
  ULONG flags;
  const UNICODE_STRING* fullName;
  const UNICODE_STRING* baseName;
  void* dllBase;
  ULONG sizeOfImage;
};
using Notification = VOID(CALLBACK*)(ULONG reason, const void* data, void* context);
using RegisterNotification = LONG(NTAPI*)(ULONG flags, Notification notification, void* context, void** cookie);
constexpr ULONG kModuleLoaded = 1;

std::wstring g_awaited;  // the file name of the plug-in being loaded, while it is
volatile LONG g_guardedAtLoad = 0;

void CALLBACK onModuleNotification(ULONG reason, const void* data, void*) {
  const auto* loaded = static_cast<const LoadedModule*>(data);
  if (reason != kModuleLoaded || g_awaited.empty() || !loaded->baseName || !loaded->baseName->Buffer) return;
  const std::wstring name(loaded->baseName->Buffer, loaded->baseName->Length / sizeof(wchar_t));
  if (_wcsicmp(name.c_str(), g_awaited.c_str()) != 0) return;
  if (guardEntryPoint(static_cast<HMODULE>(loaded->dllBase))) g_guardedAtLoad = 1;
}

}  // namespace

void listenForLoads() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto registerNotification =
      ntdll ? reinterpret_cast<RegisterNotification>(
                  reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")))
            : nullptr;
  void* cookie = nullptr;
  if (registerNotification) registerNotification(0, &onModuleNotification, nullptr, &cookie);
}

void awaitLoad(const std::string& fileName) {
  g_awaited.assign(fileName.begin(), fileName.end());
  g_guardedAtLoad = 0;
}

bool entryEscaped() {
  const DWORD unreturned = InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_unreturned), 0);
  if (unreturned != 0) makePendingCertain(unreturned);
  return unreturned != 0;
}

bool loadWasGuarded() {
  g_awaited.clear();
  return g_guardedAtLoad != 0;
}

bool guardEntryPoint(HMODULE plugin) {
  guardCallbacks(plugin);
  LoaderEntry* entry = loaderEntryOf(plugin);
  if (!entry || !entry->entryPoint) return false;
  if (entry->entryPoint == reinterpret_cast<void*>(&guardedEntry)) return true;
  g_pluginEntry = reinterpret_cast<EntryPoint>(entry->entryPoint);
  entry->entryPoint = reinterpret_cast<void*>(&guardedEntry);
  return true;
}

}  // namespace standin::win
