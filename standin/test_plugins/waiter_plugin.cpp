// A plug-in that paces itself as many do: it waits 50 ms, calls a native,
// and waits again, so frames pass between its calls.
#include <windows.h>

#include "script_host.h"

namespace {

void script() {
  for (;;) {
    scriptWait(50);
    nativeInit(0x1111);
    nativeCall();
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scriptRegister(module, script);
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
