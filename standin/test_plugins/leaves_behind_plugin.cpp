// A plug-in whose session passes but that leaves something of its own in the
// process at its unload: a handle, a TLS index, a library, the floating-point
// control, its exception filter. A process that plays sessions one after
// another must not play another after it.
#include <windows.h>
#include <xmmintrin.h>

#include "script_host.h"

#define LEAVES_HANDLE 1
#define LEAVES_TLS 2
#define LEAVES_MODULE 3
#define LEAVES_SSE 4
#define LEAVES_FILTER 5
#define LEAVES_NOTHING_READS_INI 6  // reads settings.ini as plug-ins read their settings, and leaves nothing

namespace {

LONG WINAPI ownFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

void leave() {
  switch (LEAVES) {
    case LEAVES_HANDLE:
      CreateFileA("leaves.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
      break;
    case LEAVES_TLS: TlsAlloc(); break;
    case LEAVES_MODULE: LoadLibraryA("msimg32.dll"); break;
    case LEAVES_SSE: _mm_setcsr(_mm_getcsr() | 0x8040); break;  // flush to zero, denormals are zero
    case LEAVES_FILTER: SetUnhandledExceptionFilter(&ownFilter); break;
    case LEAVES_NOTHING_READS_INI: {
      char value[64] = "";
      GetPrivateProfileStringA("settings", "mode", "none", value, sizeof value, ".\\settings.ini");
      break;
    }
  }
}

void script() {
  for (;;) {
    nativeInit(0x1111);
    nativeCall();
    scriptWait(0);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    leave();
    scriptRegister(module, script);
  }
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
