#include <windows.h>

#include "core/emulated_tls_win.h"
#include "core/library_entry.h"
#include "core/runtime_release_win.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  // A game thread that ran plug-in code and ends takes its storage with it.
  if (reason == DLL_THREAD_DETACH) releaseThreadStorage();
  // Detached with a non-null `reserved`: the process is exiting, not unloading us.
  if (reason == DLL_PROCESS_DETACH && reserved != nullptr) skipRuntimeReleaseAtProcessExit();
  return handleLibraryNotification(module, reason);
}
