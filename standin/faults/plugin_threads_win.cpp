#include "faults/plugin_threads_win.h"

#include <cstring>

#include "faults/pending_faults_win.h"

namespace standin::win {

namespace {

enum class Calling : LONG { Winapi, Cdecl };
enum ThreadState : LONG { kFree = 0, kStarted, kReturned };

struct PluginThread {
  volatile LONG state = kFree;
  volatile DWORD id = 0;
  HANDLE handle = nullptr;  // ours, for waiting; null when the thread ended before it was taken
  ULONG_PTR start = 0;
  void* argument = nullptr;
  Calling calling = Calling::Winapi;
  LONG order = 0;  // the plug-in's starts, counted: the first one started is told
};

constexpr int kMostThreads = 128;
PluginThread g_threads[kMostThreads];
volatile LONG g_started = 0;
ULONG_PTR g_imageBase = 0, g_imageEnd = 0;

// A thread that was on its way out of the plug-in's code at the unload has
// left it within this.
constexpr DWORD kLeavingMs = 500;

using BeginThreadEx = uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*);
using BeginThread = uintptr_t(__cdecl*)(void(__cdecl*)(void*), unsigned, void*);
using EndThread = void(__cdecl*)();
using EndThreadEx = void(__cdecl*)(unsigned);
// What the loader bound the C runtime's imports to, called in their place.
void* g_beginThreadEx = nullptr;
void* g_beginThread = nullptr;
void* g_endThread = nullptr;
void* g_endThreadEx = nullptr;

template <typename Function>
Function bound(void* address) {
  return reinterpret_cast<Function>(address);
}

bool inPlugin(ULONG_PTR address) { return address >= g_imageBase && address < g_imageEnd; }

PluginThread* take(ULONG_PTR start, void* argument, Calling calling) {
  if (!inPlugin(start)) return nullptr;
  for (PluginThread& thread : g_threads) {
    if (InterlockedCompareExchange(&thread.state, kStarted, kFree) != kFree) continue;
    thread.id = 0;
    thread.handle = nullptr;
    thread.start = start;
    thread.argument = argument;
    thread.calling = calling;
    thread.order = InterlockedIncrement(&g_started);
    return &thread;
  }
  return nullptr;  // more than the table holds: found by its frames alone
}

void keep(PluginThread& thread, HANDLE handle, DWORD id) {
  thread.id = id;
  HANDLE own = nullptr;
  if (handle && DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &own, SYNCHRONIZE, FALSE, 0))
    thread.handle = own;
}

void release(PluginThread& thread) {
  if (thread.handle) CloseHandle(thread.handle);
  thread.handle = nullptr;
  InterlockedExchange(&thread.state, kFree);
}

DWORD WINAPI runPluginThread(void* taken) {
  auto& thread = *static_cast<PluginThread*>(taken);
  DWORD result = 0;
  if (thread.calling == Calling::Cdecl)
    reinterpret_cast<void(__cdecl*)(void*)>(thread.start)(thread.argument);
  else
    result = reinterpret_cast<DWORD(WINAPI*)(void*)>(thread.start)(thread.argument);
  InterlockedExchange(&thread.state, kReturned);
  return result;
}

void __cdecl runPluginThreadOfCrt(void* taken) { runPluginThread(taken); }

unsigned __stdcall runPluginThreadEx(void* taken) { return static_cast<unsigned>(runPluginThread(taken)); }

HANDLE WINAPI createThread(SECURITY_ATTRIBUTES* security, SIZE_T stack, LPTHREAD_START_ROUTINE start, void* argument,
                           DWORD flags, DWORD* id) {
  settlePendingHere();
  PluginThread* thread = take(reinterpret_cast<ULONG_PTR>(start), argument, Calling::Winapi);
  if (!thread) return CreateThread(security, stack, start, argument, flags, id);
  DWORD started = 0;
  const HANDLE handle = CreateThread(security, stack, &runPluginThread, thread, flags, &started);
  if (!handle) {
    release(*thread);
    return nullptr;
  }
  keep(*thread, handle, started);
  if (id) *id = started;
  return handle;
}

uintptr_t __cdecl beginThreadEx(void* security, unsigned stack, unsigned(__stdcall* start)(void*), void* argument,
                                unsigned flags, unsigned* id) {
  settlePendingHere();
  PluginThread* thread = take(reinterpret_cast<ULONG_PTR>(start), argument, Calling::Winapi);
  if (!thread) return bound<BeginThreadEx>(g_beginThreadEx)(security, stack, start, argument, flags, id);
  unsigned started = 0;
  const uintptr_t handle =
      bound<BeginThreadEx>(g_beginThreadEx)(security, stack, &runPluginThreadEx, thread, flags, &started);
  if (handle == 0) {
    release(*thread);
    return 0;
  }
  keep(*thread, reinterpret_cast<HANDLE>(handle), started);
  if (id) *id = started;
  return handle;
}

// The handle _beginthread gives closes with the thread: it may be gone
// before it is kept, and then the thread's return is what tells.
uintptr_t __cdecl beginThread(void(__cdecl* start)(void*), unsigned stack, void* argument) {
  settlePendingHere();
  PluginThread* thread = take(reinterpret_cast<ULONG_PTR>(start), argument, Calling::Cdecl);
  if (!thread) return bound<BeginThread>(g_beginThread)(start, stack, argument);
  const uintptr_t handle = bound<BeginThread>(g_beginThread)(&runPluginThreadOfCrt, stack, thread);
  if (handle == static_cast<uintptr_t>(-1) || handle == 0) {
    release(*thread);
    return handle;
  }
  keep(*thread, reinterpret_cast<HANDLE>(handle), GetThreadId(reinterpret_cast<HANDLE>(handle)));
  return handle;
}

void __cdecl endThread() {
  notePluginThreadEnding(GetCurrentThreadId());
  bound<EndThread>(g_endThread)();
}

void __cdecl endThreadEx(unsigned code) {
  notePluginThreadEnding(GetCurrentThreadId());
  bound<EndThreadEx>(g_endThreadEx)(code);
}

bool stillRuns(const PluginThread& thread) {
  return thread.state == kStarted && (!thread.handle || WaitForSingleObject(thread.handle, 0) == WAIT_TIMEOUT);
}

ULONG_PTR systemStartOf(DWORD id) {
  using Query = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  const HANDLE thread = query ? OpenThread(THREAD_QUERY_INFORMATION, FALSE, id) : nullptr;
  if (!thread) return 0;
  constexpr int kWin32StartAddress = 9;
  ULONG_PTR start = 0;
  if (query(thread, kWin32StartAddress, &start, sizeof start, nullptr) != 0) start = 0;
  CloseHandle(thread);
  return start;
}

}  // namespace

void* threadImportRedirect(const char* name, void* boundTo) {
  if (std::strcmp(name, "CreateThread") == 0) return reinterpret_cast<void*>(&createThread);
  const struct {
    const char* name;
    void** original;
    void* to;
  } crt[] = {
      {"_beginthreadex", &g_beginThreadEx, reinterpret_cast<void*>(&beginThreadEx)},
      {"_beginthread", &g_beginThread, reinterpret_cast<void*>(&beginThread)},
      {"_endthreadex", &g_endThreadEx, reinterpret_cast<void*>(&endThreadEx)},
      {"_endthread", &g_endThread, reinterpret_cast<void*>(&endThread)},
  };
  for (const auto& redirect : crt) {
    if (std::strcmp(name, redirect.name) != 0) continue;
    *redirect.original = boundTo;
    return redirect.to;
  }
  return nullptr;
}

void notePluginImage(HMODULE plugin) {
  const auto* base = reinterpret_cast<const unsigned char*>(plugin);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  g_imageBase = reinterpret_cast<ULONG_PTR>(plugin);
  g_imageEnd = g_imageBase + nt->OptionalHeader.SizeOfImage;
  for (PluginThread& thread : g_threads)
    if (thread.state != kFree && !stillRuns(thread)) release(thread);
}

void notePluginThreadEnding(DWORD id) {
  for (PluginThread& thread : g_threads)
    if (thread.state == kStarted && thread.id == id) InterlockedExchange(&thread.state, kReturned);
}

bool outlivingPluginThread(DWORD& id, ULONG_PTR& start) {
  const ULONGLONG until = GetTickCount64() + kLeavingMs;
  const PluginThread* first = nullptr;
  for (;;) {
    first = nullptr;
    for (const PluginThread& thread : g_threads)
      if (stillRuns(thread) && (!first || thread.order < first->order)) first = &thread;
    if (!first || GetTickCount64() >= until) break;
    Sleep(10);
  }
  if (!first) return false;
  id = first->id;
  start = first->start;
  return true;
}

ULONG_PTR pluginThreadStart(DWORD id) {
  for (const PluginThread& thread : g_threads)
    if (thread.state != kFree && thread.id == id) return thread.start;
  return systemStartOf(id);
}

}  // namespace standin::win
