// A plug-in that tells, as debug lines, what its session finds in the
// process: the first rand() of the runner thread, both environments, the
// locale and the decimal point it gives, the DLL directory, the error mode.
// A session played in a process that played others must tell what one in a
// fresh process tells. With CRASHES_ON_41 it tells nothing, and crashes
// when its first rand() is 41, as it is on a thread that never drew one.
#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "script_host.h"

namespace {

volatile int* volatile g_null = nullptr;

#ifndef CRASHES_ON_41
std::string systemVariable(const char* name) {
  char value[64] = "";
  return GetEnvironmentVariableA(name, value, sizeof value) ? value : "(none)";
}

void tell() {
  const char* runtimeVariable = std::getenv("STANDIN_LEFT");
  char folder[MAX_PATH] = "";
  GetDllDirectoryA(sizeof folder, folder);
  const std::string told = "runtime STANDIN_LEFT " + std::string(runtimeVariable ? runtimeVariable : "(none)") +
                           "; system STANDIN_LEFT_IN_BLOCK " + systemVariable("STANDIN_LEFT_IN_BLOCK") + "; locale " +
                           std::setlocale(LC_ALL, nullptr) + ", decimal point " + std::localeconv()->decimal_point +
                           "; DLL directory '" + folder + "'; error mode " + std::to_string(GetErrorMode());
  OutputDebugStringA(told.c_str());
}
#endif

void script() {
  const int first = std::rand();
#ifdef CRASHES_ON_41
  if (first == 41) *g_null = 41;
#else
  OutputDebugStringA(("first rand() " + std::to_string(first)).c_str());
  tell();
#endif
  for (;;) {
    nativeInit(0x1111);
    nativeCall();
    scriptWait(0);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scriptRegister(module, script);
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
