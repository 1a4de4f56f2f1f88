// Plug-ins that break the host's rules, one way each (FAULT selects it), so
// the stand-in's caps, watchdog and crash report can be tried.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>

#include "script_host.h"

#define FAULT_SPIN 1       // native calls for ever, never waits
#define FAULT_BUSY 2       // loops for ever without calling the host
#define FAULT_RETURNS 4    // the script entry returns
#define FAULT_CRASH 5      // writes through a null pointer, after telling where (native 0x2222)
#define FAULT_NO_SCRIPT 6  // registers no script
#define FAULT_MISUSE 7     // natives and waits from DllMain and the keyboard handler
#define FAULT_CRASH_READ 8       // reads from address 0x40
#define FAULT_KEEPS_REGISTERED 9 // unregisters neither its script nor its keyboard handler
#define FAULT_ABORT 10           // calls abort()
#define FAULT_TERMINATE 11       // calls std::terminate()
#define FAULT_STACK_OVERFLOW 12  // recurses without end
#define FAULT_STACK_LOW 13       // plays its frames with little stack left
#define FAULT_KEY_MISUSE 14      // natives from the keyboard handler only
#define FAULT_THROWS 15          // lets a C++ exception out of its script entry

namespace {

HMODULE g_module = nullptr;

void tick() {
  nativeInit(0x1111);
  nativeCall();
}

void onKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {
  if (FAULT == FAULT_MISUSE || FAULT == FAULT_KEY_MISUSE) tick();
}

// Kept out of the compiler's sight, which would otherwise turn the faults into traps or loops.
volatile std::uintptr_t g_null = 0;
volatile std::uintptr_t g_unmapped = 0x40;

__attribute__((noinline)) void crashNow() { *reinterpret_cast<volatile int*>(g_null) = 1; }

__attribute__((noinline)) int readNow() { return *reinterpret_cast<volatile int*>(g_unmapped); }

volatile std::uint64_t g_levelsLeft = ~std::uint64_t{0};

// Each level keeps a page of its own on the stack.
__attribute__((noinline)) int descend(std::size_t leaveBytes) {
  if (--g_levelsLeft == 0) return 0;
  volatile char page[4096];
  page[0] = 1;
  ULONG_PTR low = 0;
  ULONG_PTR high = 0;
  GetCurrentThreadStackLimits(&low, &high);
  if (leaveBytes != 0 && reinterpret_cast<ULONG_PTR>(&page[0]) < low + leaveBytes) {
    for (;;) {
      tick();
      scriptWait(0);
    }
  }
  return descend(leaveBytes) + page[0];
}

void script() {
  tick();
  scriptWait(0);
  if (FAULT == FAULT_RETURNS) return;
  // A fault is followed by calls: a loop on itself after it would hold Wine's
  // unwinder, which takes a jump to itself for an epilogue.
  if (FAULT == FAULT_CRASH) {
    nativeInit(0x2222);
    nativePush64(reinterpret_cast<std::uintptr_t>(&crashNow) - reinterpret_cast<std::uintptr_t>(g_module));
    nativeCall();
    crashNow();
  }
  if (FAULT == FAULT_CRASH_READ) readNow();
  if (FAULT == FAULT_ABORT) std::abort();
  if (FAULT == FAULT_TERMINATE) std::terminate();
  if (FAULT == FAULT_THROWS) throw 42;
  if (FAULT == FAULT_STACK_OVERFLOW) descend(0);
  if (FAULT == FAULT_STACK_LOW) descend(16 * 1024);
  for (;;) {
    if (FAULT == FAULT_SPIN) tick();
    if (FAULT == FAULT_BUSY) {
      for (volatile int spin = 0;; spin = spin + 1) {
      }
    }
    if (FAULT != FAULT_SPIN) {
      tick();
      scriptWait(0);
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    if (FAULT != FAULT_NO_SCRIPT) scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
    if (FAULT == FAULT_MISUSE) {
      tick();
      scriptWait(5);
    }
  } else if (reason == DLL_PROCESS_DETACH && FAULT != FAULT_KEEPS_REGISTERED) {
    if (FAULT != FAULT_NO_SCRIPT) scriptUnregister(module);
    keyboardHandlerUnregister(onKey);
  }
  return TRUE;
}
