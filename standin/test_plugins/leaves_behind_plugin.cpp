// A plug-in whose session passes but that leaves something of its own in the
// process at its unload: a handle, a TLS index, a library, the floating-point
// control, its exception filter. A process that plays sessions one after
// another must not play another after it. Or it leaves what such a process
// puts back or never shares between sessions (the runner thread's rand()
// seed, the environment, the locale, the DLL search, the error mode), and
// the next session must not see it; or a fiber-local slot whose callback
// into the unloaded plug-in faults when the thread that set it ends.
#include <windows.h>
#include <xmmintrin.h>

#include <clocale>
#include <cstdlib>

#include "script_host.h"

#define LEAVES_HANDLE 1
#define LEAVES_TLS 2
#define LEAVES_MODULE 3
#define LEAVES_SSE 4
#define LEAVES_FILTER 5
#define LEAVES_NOTHING_READS_INI 6  // reads settings.ini as plug-ins read their settings, and leaves nothing
#define LEAVES_RAND 7
#define LEAVES_ENVIRONMENT 8
#define LEAVES_LOCALE 9
#define LEAVES_DLL_DIRECTORY 10
#define LEAVES_ERROR_MODE 11
#define LEAVES_FLS 12
#define LEAVES_DEFAULT_DLL_DIRECTORIES 13

namespace {

LONG WINAPI ownFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

volatile int g_drawn = 0;
VOID WINAPI slotEnds(void*) { g_drawn = 1; }

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
    case LEAVES_RAND: g_drawn = std::rand(); break;
    case LEAVES_ENVIRONMENT:
      _putenv("STANDIN_LEFT=by the runtime");
      SetEnvironmentVariableA("STANDIN_LEFT_IN_BLOCK", "by the system");
      break;
    case LEAVES_LOCALE: std::setlocale(LC_ALL, "German_Germany.1252"); break;
    case LEAVES_DLL_DIRECTORY:
      SetDllDirectoryA("C:\\windows");
      AddDllDirectory(L"C:\\windows\\system32");
      break;
    case LEAVES_ERROR_MODE: SetErrorMode(0); break;
    case LEAVES_FLS: FlsSetValue(FlsAlloc(&slotEnds), const_cast<int*>(&g_drawn)); break;
    case LEAVES_DEFAULT_DLL_DIRECTORIES: SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); break;
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
