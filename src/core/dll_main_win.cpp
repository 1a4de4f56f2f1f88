#include <windows.h>

#include "core/emulated_tls_win.h"
#include "core/library_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  // A game thread that ran plug-in code and ends takes its storage with it.
  if (reason == DLL_THREAD_DETACH) releaseThreadStorage();
  return handleLibraryNotification(module, reason);
}
