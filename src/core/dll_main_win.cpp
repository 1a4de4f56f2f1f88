#include <windows.h>

#include "core/library_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return handleLibraryNotification(module, reason);
}
