#include "faults/import_hooks_win.h"

#include <cstring>
#include <string>

#include "faults/fault_copy_win.h"
#include "faults/outlived_threads_win.h"
#include "faults/pending_faults_win.h"
#include "faults/plugin_output_win.h"
#include "faults/plugin_threads_win.h"
#include "faults/dll_directory_hooks_win.h"

namespace standin::win {

namespace {

HMODULE g_plugin = nullptr;

// The plug-in's call, for the place of what it did.
#define CALLER reinterpret_cast<ULONG_PTR>(__builtin_extract_return_addr(__builtin_return_address(0)))

[[noreturn]] void endSession(FaultKind kind, const EXCEPTION_RECORD* record, ULONG_PTR caller, ULONG_PTR target) {
  CONTEXT context{};
  RtlCaptureContext(&context);
  if (copyFault(channel().final, kind, record, &context, caller, target)) wakeDescriber();
  parkThread();
}

// The host's threads end with the session, not before: a plug-in's own thread may end as it likes.
VOID WINAPI exitThread(DWORD code) {
  if (onSessionThread()) endSession(kFaultThreadEnded, nullptr, CALLER, 0);
  notePluginThreadEnding(GetCurrentThreadId());
  ExitThread(code);
}

BOOL WINAPI terminateThread(HANDLE thread, DWORD code) {
  const DWORD target = GetThreadId(thread);
  if (isSessionThread(target)) endSession(kFaultThreadEnded, nullptr, CALLER, target);
  settlePendingHere();
  notePluginThreadEnding(target);
  return TerminateThread(thread, code);
}

// The stand-in's filter stays the process's: a fault that reaches it is
// certain, whatever filter the plug-in set. The plug-in's is kept, for the
// plug-in to read back and for a kept process to see it left one.
LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pluginFilter = nullptr;

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI setUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
  settlePendingHere();
  return reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_pluginFilter), reinterpret_cast<void*>(filter)));
}

// The plug-in's code is gone when its own FreeLibrary returns into it.
BOOL WINAPI freeLibrary(HMODULE module) {
  const ULONG_PTR caller = CALLER;
  settlePendingHere();
  if (module != g_plugin || !g_plugin) return FreeLibrary(module);
  notePluginUnloading(module);
  const BOOL freed = FreeLibrary(module);
  if (!notePluginGone()) return freed;
  endSession(kFaultFreedItself, nullptr, caller, reinterpret_cast<ULONG_PTR>(module));
}

VOID WINAPI raiseFailFastException(PEXCEPTION_RECORD record, PCONTEXT, DWORD) {
  EXCEPTION_RECORD told{};
  if (record) told = *record;
  if (told.ExceptionCode == 0) told.ExceptionCode = 0xC0000409;
  told.ExceptionAddress = reinterpret_cast<void*>(CALLER);
  endSession(kFaultFailFast, &told, CALLER, 0);
}

VOID WINAPI outputDebugStringW(LPCWSTR text) {
  settlePendingHere();
  if (!text) return;
  const int length = static_cast<int>(std::wcslen(text));
  std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
  if (!utf8.empty() && utf8.back() == '\n') utf8.pop_back();
  takeDebugText(std::move(utf8));
}

// The plug-in's vectored handlers run through wrappers of the stand-in's,
// one per handler, which know while a thread is inside one: a fault raised
// there would otherwise call the handler again and again, each time before
// the stand-in's own handler could see it.
constexpr int kWrappers = 16;
PVECTORED_EXCEPTION_HANDLER g_handlers[kWrappers] = {};
void* volatile g_registered[kWrappers] = {};
DWORD g_insideHandler = TLS_OUT_OF_INDEXES;

bool isFault(DWORD code) { return (code >> 30) == 3 || code == EXCEPTION_BREAKPOINT; }

LONG callHandler(int slot, EXCEPTION_POINTERS* info) {
  const DWORD error = GetLastError();
  const auto depth = reinterpret_cast<ULONG_PTR>(TlsGetValue(g_insideHandler));
  if (depth != 0 && isFault(info->ExceptionRecord->ExceptionCode)) {
    if (copyFault(channel().final, kFaultInHandler, info->ExceptionRecord, info->ContextRecord)) wakeDescriber();
    parkThread();
  }
  TlsSetValue(g_insideHandler, reinterpret_cast<void*>(depth + 1));
  SetLastError(error);
  const LONG result = g_handlers[slot](info);
  const DWORD after = GetLastError();
  TlsSetValue(g_insideHandler, reinterpret_cast<void*>(depth));
  SetLastError(after);
  return result;
}

template <int I>
LONG WINAPI wrapped(EXCEPTION_POINTERS* info) {
  return callHandler(I, info);
}

template <int... I>
constexpr PVECTORED_EXCEPTION_HANDLER kWrapped[] = {&wrapped<I>...};
constexpr PVECTORED_EXCEPTION_HANDLER const* wrappers() {
  return kWrapped<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15>;
}

PVOID WINAPI addVectoredExceptionHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  settlePendingHere();
  for (int slot = 0; slot < kWrappers && g_insideHandler != TLS_OUT_OF_INDEXES; ++slot) {
    if (InterlockedCompareExchangePointer(&g_registered[slot], reinterpret_cast<void*>(1), nullptr) != nullptr) continue;
    g_handlers[slot] = handler;
    void* registered = AddVectoredExceptionHandler(first, wrappers()[slot]);
    g_registered[slot] = registered;
    return registered;
  }
  return AddVectoredExceptionHandler(first, handler);  // more than the wrappers: unwatched
}

ULONG WINAPI removeVectoredExceptionHandler(PVOID registered) {
  settlePendingHere();
  const ULONG removed = RemoveVectoredExceptionHandler(registered);
  for (int slot = 0; slot < kWrappers; ++slot)
    if (registered && g_registered[slot] == registered) g_registered[slot] = nullptr;
  return removed;
}

struct Redirect {
  const char* name;
  void* to;
};

const Redirect kRedirects[] = {
    {"ExitThread", reinterpret_cast<void*>(&exitThread)},
    {"TerminateThread", reinterpret_cast<void*>(&terminateThread)},
    {"FreeLibrary", reinterpret_cast<void*>(&freeLibrary)},
    {"RaiseFailFastException", reinterpret_cast<void*>(&raiseFailFastException)},
    {"OutputDebugStringW", reinterpret_cast<void*>(&outputDebugStringW)},
    {"AddVectoredExceptionHandler", reinterpret_cast<void*>(&addVectoredExceptionHandler)},
    {"RemoveVectoredExceptionHandler", reinterpret_cast<void*>(&removeVectoredExceptionHandler)},
    {"SetUnhandledExceptionFilter", reinterpret_cast<void*>(&setUnhandledExceptionFilter)},
};

void* redirectOf(const char* name, void* bound) {
  for (const Redirect& redirect : kRedirects)
    if (std::strcmp(redirect.name, name) == 0) return redirect.to;
  if (void* to = dllDirectoryImportRedirect(name)) return to;
  return threadImportRedirect(name, bound);
}

void redirectLibrary(unsigned char* base, const IMAGE_IMPORT_DESCRIPTOR& library) {
  if (library.OriginalFirstThunk == 0) return;  // no names left to know the imports by
  const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + library.OriginalFirstThunk);
  auto* bound = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + library.FirstThunk);
  for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {
    if (IMAGE_SNAP_BY_ORDINAL64(names[i].u1.Ordinal)) continue;
    const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
    // Not bound yet while it still holds the name's address: the loader would overwrite it.
    if (bound[i].u1.Function == names[i].u1.AddressOfData) continue;
    void* to = redirectOf(reinterpret_cast<const char*>(byName->Name), reinterpret_cast<void*>(bound[i].u1.Function));
    if (!to || bound[i].u1.Function == reinterpret_cast<ULONGLONG>(to)) continue;
    DWORD was = 0;
    if (!VirtualProtect(&bound[i], sizeof bound[i], PAGE_READWRITE, &was)) continue;
    bound[i].u1.Function = reinterpret_cast<ULONGLONG>(to);
    VirtualProtect(&bound[i], sizeof bound[i], was, &was);
  }
}

}  // namespace

void prepareImportRedirects() {
  if (g_insideHandler == TLS_OUT_OF_INDEXES) g_insideHandler = TlsAlloc();
}

void redirectPluginImports(HMODULE plugin) {
  prepareImportRedirects();
  g_plugin = plugin;
  notePluginImage(plugin);
  auto* base = reinterpret_cast<unsigned char*>(plugin);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  // Every library: the C runtimes' thread starts are among them.
  for (const auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library)
    redirectLibrary(base, *library);
}

bool pluginLeftAFilter() { return g_pluginFilter != nullptr; }

}  // namespace standin::win
