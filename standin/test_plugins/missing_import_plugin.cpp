// A plug-in that imports a function the host does not have: loading it must
// fail with a message that names the function.
#include <windows.h>

extern "C" void scriptMissing();

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scriptMissing();
  return TRUE;
}
