// Plug-ins that break one rule of the host's protocol each (BREAKS selects
// which), and otherwise call native 0x1111 once a frame.
#include <windows.h>

#include <cstdint>

#include "script_host.h"

#define BREAKS_PUSH_WITHOUT_INIT 1  // a push and a call with no nativeInit
#define BREAKS_INIT_WHILE_PENDING 2 // a begun call left for another nativeInit
#define BREAKS_ARG_COUNT 3          // one push into 0x3333, declared (int, int)
#define BREAKS_ARG_KIND 4           // -2 pushed sign-extended into 0x3333
#define BREAKS_PUSH_BOUND 5         // 100,000 pushes into one call
#define BREAKS_THREAD 6             // a native from a thread of its own
#define BREAKS_WAIT_IN_HANDLER 7    // scriptWait from the keyboard handler
#define BREAKS_REGISTER_TWICE 8     // its script registered twice
#define BREAKS_HANDLER_TWICE 9      // its keyboard handler registered twice
#define BREAKS_THREAD_CALLS 10      // 10,000 natives from a thread of its own while the script calls its own
#define BREAKS_NATIVE_ZERO 11       // a call of native 0
#define BREAKS_CALL_ACROSS_WAIT 12  // a call begun, then a wait, then the call made
#define BREAKS_CALL_PENDING_AT_UNLOAD 13  // a call begun, then only waits until the unload
#define BREAKS_REGISTER_FOREIGN 14  // its script for the executable, the stand-in's DLL and kernel32.dll, then
                                    // code of kernel32.dll as a second module's script and as its keyboard handler
#define BREAKS_HANDLER_NULL 19      // a null keyboard handler and a null script registered first
#define BREAKS_UNREGISTER_UNKNOWN 20  // a keyboard handler it never registered unregistered at unload
#define BREAKS_SCRIPT_UNREGISTERED 21  // its script unregisters itself
#define BREAKS_OUT_NOT_WRITABLE 22  // 0x10 as argument 0, then read-only memory as argument 1, of 0x6666

namespace {

HINSTANCE g_module = nullptr;

void tick() {
  nativeInit(0x1111);
  nativeCall();
}

DWORD WINAPI threadMain(void*) {
  tick();
  return 0;
}

// The thread that calls while the script does: the script waits for its
// first call, which a strict session ends in, so that no call of the
// script's races the end, and for its end after a frame of calls of its
// own, so that it has ended before the unload takes its code (whose loader
// lock an ending thread waits for).
volatile LONG g_callerStarted = 0;
HANDLE g_callerDone = nullptr;
HANDLE g_caller = nullptr;

DWORD WINAPI callerMain(void*) {
  for (int i = 0; i < 10000; ++i) {
    nativeInit(0x5555);
    nativePush64(static_cast<std::uint64_t>(i));
    nativeCall();
    if (i == 0) InterlockedExchange(&g_callerStarted, 1);
  }
  SetEvent(g_callerDone);
  // Ends here, without returning into code that an unload may have taken away.
  ExitThread(0);
}

void startCaller() {
  g_callerDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_caller = CreateThread(nullptr, 0, &callerMain, nullptr, 0, nullptr);
  // Started, not finished: a thread that has not yet started would wait for
  // the loader, which the unload holds while it waits for this thread.
  // Under 'strict' the first call ends the session while the script waits here.
  while (InterlockedCompareExchange(&g_callerStarted, 0, 0) == 0) Sleep(0);
}

void breakTheRule() {
  if (BREAKS == BREAKS_PUSH_WITHOUT_INIT) {
    nativePush64(7);
    nativeCall();
  } else if (BREAKS == BREAKS_INIT_WHILE_PENDING) {
    nativeInit(0x2222);
    nativePush64(1);
    tick();
  } else if (BREAKS == BREAKS_ARG_COUNT || BREAKS == BREAKS_ARG_KIND) {
    nativeInit(0x3333);
    nativePush64(BREAKS == BREAKS_ARG_KIND ? static_cast<std::uint64_t>(std::int64_t{-2}) : 1);
    if (BREAKS == BREAKS_ARG_KIND) nativePush64(1);
    nativeCall();
  } else if (BREAKS == BREAKS_PUSH_BOUND) {
    nativeInit(0x4444);
    for (int i = 0; i < 100000; ++i) nativePush64(static_cast<std::uint64_t>(i));
    nativeCall();
  } else if (BREAKS == BREAKS_THREAD_CALLS) {
    startCaller();
  } else if (BREAKS == BREAKS_NATIVE_ZERO) {
    nativeInit(0);
    nativeCall();
  } else if (BREAKS == BREAKS_CALL_ACROSS_WAIT || BREAKS == BREAKS_CALL_PENDING_AT_UNLOAD) {
    nativeInit(0x2222);
    nativePush64(1);
    scriptWait(0);
    if (BREAKS == BREAKS_CALL_PENDING_AT_UNLOAD)
      for (;;) scriptWait(0);
    nativeCall();
  } else if (BREAKS == BREAKS_SCRIPT_UNREGISTERED) {
    scriptUnregister(g_module);
  } else if (BREAKS == BREAKS_OUT_NOT_WRITABLE) {
    static const std::uint32_t readOnly = 7;
    nativeInit(0x6666);
    nativePush64(0x10);
    nativeCall();
    nativeInit(0x6666);
    nativePush64(0);
    nativePush64(reinterpret_cast<std::uintptr_t>(&readOnly));
    nativeCall();
  } else if (BREAKS == BREAKS_THREAD) {
    const HANDLE thread = CreateThread(nullptr, 0, &threadMain, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
}

void onKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {
  if (BREAKS == BREAKS_WAIT_IN_HANDLER) scriptWait(0);
}

void onOtherKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {}

void script() {
  tick();
  scriptWait(0);
  breakTheRule();
  for (;;) {
    // Many calls a frame, so that the thread's overlap them.
    for (int i = 0; i < (BREAKS == BREAKS_THREAD_CALLS ? 500 : 1); ++i) tick();
    if (g_caller) {
      WaitForSingleObject(g_caller, 30000);
      CloseHandle(g_caller);
      g_caller = nullptr;
    }
    scriptWait(0);
  }
}

// Code of kernel32.dll, inside its image: registered, never run.
template <typename Function>
Function kernelCode() {
  const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA("kernel32.dll"));
  return reinterpret_cast<Function>(base + 0x1000);
}

// Registrations of what is not the plug-in's own, before or after its own.
void registerForeign(bool after) {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (BREAKS == BREAKS_REGISTER_FOREIGN && !after) {
    scriptRegister(GetModuleHandleW(nullptr), script);
    scriptRegister(GetModuleHandleA("ScriptHookRDR2.dll"), script);
    scriptRegister(kernel, script);
  } else if (BREAKS == BREAKS_REGISTER_FOREIGN) {
    scriptRegister(kernel, kernelCode<ScriptEntryFunction>());
    keyboardHandlerRegister(kernelCode<KeyboardHandlerFunction>());
  } else if (BREAKS == BREAKS_HANDLER_NULL && !after) {
    keyboardHandlerRegister(nullptr);
    scriptRegister(g_module, nullptr);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    registerForeign(false);
    scriptRegister(module, script);
    if (BREAKS == BREAKS_REGISTER_TWICE) scriptRegister(module, script);
    registerForeign(true);
    keyboardHandlerRegister(onKey);
    if (BREAKS == BREAKS_HANDLER_TWICE) keyboardHandlerRegister(onKey);
  } else if (reason == DLL_PROCESS_DETACH) {
    if (g_callerDone) WaitForSingleObject(g_callerDone, 30000);
    scriptUnregister(module);
    if (BREAKS == BREAKS_UNREGISTER_UNKNOWN) keyboardHandlerUnregister(onOtherKey);
    keyboardHandlerUnregister(onKey);
  }
  return TRUE;
}
