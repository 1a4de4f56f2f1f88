#include <windows.h>

#include "core/library_entry.h"

// The kit's runtime release, linked into the plug-in, gives back the C++
// runtime's storage at unload and when a thread ends; nothing of it is
// needed here.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return handleLibraryNotification(module, reason);
}
