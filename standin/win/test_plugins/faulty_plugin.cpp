// Plug-ins that break the host's rules, one way each (FAULT selects it), so
// the stand-in's caps, watchdog and crash report can be tried.
#include <windows.h>

#include <cstdint>

#include "host/host_interface.h"

#define FAULT_SPIN 1       // native calls for ever, never waits
#define FAULT_BUSY 2       // loops for ever without calling the host
#define FAULT_WAIT_LOOP 3  // waits 1 ms for ever, never ends a frame
#define FAULT_RETURNS 4    // the script entry returns
#define FAULT_CRASH 5      // writes through a null pointer
#define FAULT_NO_SCRIPT 6  // registers no script
#define FAULT_MISUSE 7     // natives and waits from DllMain and the keyboard handler

namespace {

void tick() {
  nativeInit(0x1111);
  nativeCall();
}

void onKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {
  if (FAULT == FAULT_MISUSE) tick();
}

void script() {
  tick();
  scriptWait(0);
  if (FAULT == FAULT_RETURNS) return;
  for (;;) {
    if (FAULT == FAULT_SPIN) tick();
    if (FAULT == FAULT_BUSY) {
      for (volatile int spin = 0;; spin = spin + 1) {
      }
    }
    if (FAULT == FAULT_WAIT_LOOP) scriptWait(1);
    if (FAULT == FAULT_CRASH) *static_cast<volatile int*>(nullptr) = 1;
    if (FAULT == FAULT_MISUSE) {
      tick();
      scriptWait(0);
    }
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    if (FAULT != FAULT_NO_SCRIPT) scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
    if (FAULT == FAULT_MISUSE) {
      tick();
      scriptWait(5);
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    if (FAULT != FAULT_NO_SCRIPT) scriptUnregister(module);
    keyboardHandlerUnregister(onKey);
  }
  return TRUE;
}
