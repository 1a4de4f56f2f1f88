// Plug-ins that end a session one way each (ENDING selects it), wherever the
// file place.txt in the working folder says: "script" (in frame 2), "key"
// (in the keyboard handler), "load" or "unload" (in DllMain; "preload" in
// DllMain before it registers anything), "tls-load" or
// "tls-unload" (in a TLS callback, which the loader calls before DllMain),
// or "thread" (in a thread the script starts in frame 2 and waits for). The
// stand-in's verdict must not depend on where it happens.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "script_host.h"

#define ENDING_CRASH 1              // writes through a null pointer, three calls deep
#define ENDING_THROW 2              // lets std::runtime_error("boom") out
#define ENDING_ABORT 3              // calls abort()
#define ENDING_OVERFLOW 4           // recurses without end
#define ENDING_EXIT 5               // exit(3)
#define ENDING_QUICK_EXIT 6         // _exit(4)
#define ENDING_EXIT_PROCESS 7       // ExitProcess(9)
#define ENDING_TERMINATE_PROCESS 8  // TerminateProcess of its own process with 12
#define ENDING_RAISE 9              // RaiseException(0xE0000042)
#define ENDING_DEBUG_BREAK 10       // DebugBreak()
#define ENDING_OWN_FILTER 11        // crashes behind an unhandled-exception filter of its own
#define ENDING_OWN_TERMINATE 12     // throws, with a terminate handler of its own that exits with 0
#define ENDING_STUCK 13             // loops without calling the host
#define ENDING_CAUGHT 14            // throws and catches, and crashes into its own handler: goes on
#define ENDING_TALKS 15             // writes to stdout, stderr and the debugger between calls: goes on
#define ENDING_FAST_FAIL 16         // __fastfail(7), which no handler sees
#define ENDING_FAIL_FAST_RAISE 17   // RaiseFailFastException
#define ENDING_HANDLER_FAULT 18     // crashes inside a vectored exception handler of its own
#define ENDING_EXIT_THREAD 19       // ExitThread on the thread it runs on
#define ENDING_TERMINATE_THREAD 20  // TerminateThread(GetCurrentThread())
#define ENDING_NOEXCEPT 21          // a noexcept function throws
#define ENDING_NOEXCEPT_EXIT 22     // the same, with a terminate handler of its own that exits with 0
#define ENDING_OUTLIVE 23           // starts a thread that spins in its code through its unload
#define ENDING_FREE_SELF 24         // FreeLibrary of its own module
#define ENDING_HANG_AT_EXIT 25      // keeps itself loaded and hangs in DllMain at process exit
#define ENDING_SLOW_TERMINATE 26    // computes 1.5 s, throws; its terminate handler takes 300 ms, then aborts
#define ENDING_SYSTEM_HANDLES 27    // hands bad pointers to system functions that handle the fault: goes on
#define ENDING_OUTLIVE_SLEEPS 28    // starts a thread in DllMain that sleeps in a loop through its unload
#define ENDING_STILL_HANDLING 29    // keeps itself loaded; a thread of its own faults into a handler that never ends

#if ENDING == ENDING_TALKS
// Only here: without the kit's runtime release, the end of iostream's static
// objects at unload asks the C++ runtime for its thread's exception state,
// which libgcc has let go by then if an exception was thrown, and crashes.
#include <iostream>
#endif

namespace {

char g_place[16] = "";

void readPlace() {
  const HANDLE file = CreateFileA("place.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD got = 0;
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, g_place, sizeof g_place - 1, &got, nullptr);
    CloseHandle(file);
  }
  g_place[got] = '\0';
}

bool placeIs(const char* place) { return std::strncmp(g_place, place, std::strlen(place)) == 0; }

// Kept out of the compiler's sight, which would otherwise turn the faults into traps or loops.
volatile std::uintptr_t g_null = 0;
volatile int g_sink = 0;

// The chain whose backtrace the tests know: inner, middle, outer.
__attribute__((noinline)) void inner() { *reinterpret_cast<volatile int*>(g_null) = 1; }
__attribute__((noinline)) void middle() {
  inner();
  g_sink = g_sink + 1;
}
__attribute__((noinline)) void outer() {
  middle();
  g_sink = g_sink + 1;
}

volatile int g_levels = 1 << 30;

// GCC would clone the recursing function for its first levels, which would
// then show as the frames the recursion was entered from; clang has no clones.
#if defined(__clang__)
#define NO_CLONE
#else
#define NO_CLONE __attribute__((noclone))
#endif

// Each level keeps a page of its own on the stack, so the probe ___chkstk_ms runs in each.
__attribute__((noinline)) NO_CLONE int recurse(int depth) {
  volatile char page[4096];
  page[0] = static_cast<char>(depth);
  if (depth == g_levels) return 0;
  return recurse(depth + 1) + page[0];
}

LONG WINAPI ownFilter(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

void ownTerminate() { std::_Exit(0); }

LONG WINAPI faultyHandler(EXCEPTION_POINTERS*) {
  inner();
  return EXCEPTION_CONTINUE_SEARCH;
}

__attribute__((noinline)) void throwBoom() { throw std::runtime_error("boom"); }
__attribute__((noinline)) void throwsThrough() noexcept {
  throwBoom();
  g_sink = g_sink + 1;
}

DWORD WINAPI spin(void*) {
  for (;;) g_sink = g_sink + 1;
}

DWORD WINAPI sleepLoop(void*) {
  for (;;) Sleep(10);
}

// Handles the fault by waiting for ever, below the faulting frame.
LONG WINAPI neverDone(EXCEPTION_POINTERS*) {
  for (;;) Sleep(10);
}

DWORD WINAPI faultIntoNeverDone(void*) {
  AddVectoredExceptionHandler(0, &neverDone);
  inner();
  return 0;
}

// Each of these reads or writes through its bad pointer under a handler of
// its own and returns: the fault is the system's to handle, and it does.
void handBadPointers() {
  const auto bad = reinterpret_cast<char*>(g_null + 16);
  char copy[8] = "";
  const bool seen = IsBadReadPtr(bad, 4) && IsBadWritePtr(bad, 4) && IsBadStringPtrA(bad, 4) &&
                    lstrcpynA(copy, bad, sizeof copy) == nullptr;
  OutputDebugStringA(seen ? "the system handled every bad pointer" : "a bad pointer went unseen");
}

void slowTerminate() {
  Sleep(300);
  OutputDebugStringA("the terminate handler is done");
  std::abort();
}

HMODULE ownModule() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<const char*>(&ownModule), &self);
  return self;
}

LONG WINAPI skipFault(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION) return EXCEPTION_CONTINUE_SEARCH;
  info->ContextRecord->Rip += 6;  // past "movl $1, (%rax)" of inner()
  return EXCEPTION_CONTINUE_EXECUTION;
}

void mark(int step) {
  nativeInit(0x3333);
  nativePush64(static_cast<std::uint64_t>(step));
  nativeCall();
}

void talk() {
  std::printf("from printf %d\n", 1);
  mark(1);
  OutputDebugStringA("hi\n");
  mark(2);
  std::fputs("to stderr, \"quoted\"\n", stderr);
  OutputDebugStringW(L"wide \u00E9 \U0001F600");
#if ENDING == ENDING_TALKS
  std::cout << "from cout" << std::endl;
#endif
  mark(3);
  std::printf("no line feed");
}

void caught() {
  try {
    throw std::runtime_error("caught");
  } catch (const std::exception&) {
    g_sink = g_sink + 1;
  }
}

// Followed by a store, so that no call in it becomes a jump that leaves no frame.
void end() {
  switch (ENDING) {
    case ENDING_CRASH: outer(); break;
    case ENDING_THROW: throw std::runtime_error("boom");
    case ENDING_ABORT: std::abort();
    case ENDING_OVERFLOW: recurse(0); break;
    case ENDING_EXIT: std::exit(3);
    case ENDING_QUICK_EXIT: _exit(4);
    case ENDING_EXIT_PROCESS: ExitProcess(9);
    case ENDING_TERMINATE_PROCESS: TerminateProcess(GetCurrentProcess(), 12); break;
    case ENDING_RAISE: RaiseException(0xE0000042, 0, 0, nullptr); break;
    case ENDING_DEBUG_BREAK: DebugBreak(); break;
    case ENDING_OWN_FILTER:
      SetUnhandledExceptionFilter(&ownFilter);
      outer();
      break;
    case ENDING_OWN_TERMINATE:
      std::set_terminate(&ownTerminate);
      throw std::runtime_error("boom");
    case ENDING_STUCK:
      for (volatile int spin = 0;; spin = spin + 1) {
      }
    case ENDING_TALKS: talk(); break;
    case ENDING_FAST_FAIL: asm volatile("int $0x29" : : "c"(7)); break;
    case ENDING_FAIL_FAST_RAISE: RaiseFailFastException(nullptr, nullptr, 0); break;
    case ENDING_HANDLER_FAULT:
      AddVectoredExceptionHandler(1, &faultyHandler);
      outer();
      break;
    case ENDING_EXIT_THREAD: ExitThread(0);
    case ENDING_TERMINATE_THREAD: TerminateThread(GetCurrentThread(), 0); break;
    case ENDING_NOEXCEPT: throwsThrough(); break;
    case ENDING_NOEXCEPT_EXIT:
      std::set_terminate(&ownTerminate);
      throwsThrough();
      break;
    case ENDING_OUTLIVE: CloseHandle(CreateThread(nullptr, 0, &spin, nullptr, 0, nullptr)); break;
    case ENDING_FREE_SELF: FreeLibrary(ownModule()); break;
    case ENDING_SYSTEM_HANDLES: handBadPointers(); break;
    case ENDING_STILL_HANDLING: CloseHandle(CreateThread(nullptr, 0, &faultIntoNeverDone, nullptr, 0, nullptr)); break;
    case ENDING_SLOW_TERMINATE: {
      mark(7);
      const ULONGLONG until = GetTickCount64() + 1500;
      while (GetTickCount64() < until) g_sink = g_sink + 1;
      std::set_terminate(&slowTerminate);
      throw std::runtime_error("slow");
    }
    case ENDING_CAUGHT: {
      caught();
      void* handler = AddVectoredExceptionHandler(1, &skipFault);
      inner();
      RemoveVectoredExceptionHandler(handler);
      break;
    }
  }
  g_sink = g_sink + 1;
}

void tick() {
  nativeInit(0x1111);
  nativeCall();
}

void onKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {
  if (placeIs("key")) end();
  g_sink = g_sink + 1;
}

DWORD WINAPI endOnThread(void*) {
  end();
  return 0;
}

void script() {
  tick();
  scriptWait(0);
  if (placeIs("script")) end();
  if (placeIs("thread")) {
    const HANDLE thread = CreateThread(nullptr, 0, &endOnThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  for (;;) {
    tick();
    scriptWait(0);
  }
}

}  // namespace

static void NTAPI onTls(void*, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) readPlace();
  if ((reason == DLL_PROCESS_ATTACH && placeIs("tls-load")) || (reason == DLL_PROCESS_DETACH && placeIs("tls-unload")))
    end();
}

// Among the TLS callbacks of the C runtime, which calls those between its
// .CRT$XLA and .CRT$XLZ.
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK g_onTls = &onTls;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if ((ENDING == ENDING_HANG_AT_EXIT || ENDING == ENDING_STILL_HANDLING) && reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH];
    GetModuleFileNameA(module, path, MAX_PATH);
    LoadLibraryA(path);  // a reference of its own: the session's FreeLibrary leaves it loaded
  }
  if (ENDING == ENDING_HANG_AT_EXIT && reason == DLL_PROCESS_DETACH && reserved != nullptr)
    for (;;) g_sink = g_sink + 1;
  if (ENDING == ENDING_OUTLIVE_SLEEPS && reason == DLL_PROCESS_ATTACH)
    CloseHandle(CreateThread(nullptr, 0, &sleepLoop, nullptr, 0, nullptr));
  if (reason == DLL_PROCESS_ATTACH && placeIs("preload")) end();
  if (reason == DLL_PROCESS_ATTACH) {
    scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
    if (placeIs("load")) end();
  } else if (reason == DLL_PROCESS_DETACH) {
    scriptUnregister(module);
    keyboardHandlerUnregister(onKey);
    if (placeIs("unload")) end();
  }
  return TRUE;
}
