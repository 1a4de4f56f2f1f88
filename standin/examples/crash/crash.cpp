// Crash: plays two quiet frames, then writes through a null pointer three
// calls deep in its third. Built to show what the stand-in says of a crash
// and how the kit's symbolize turns its offsets into functions and lines.
#include <windows.h>

#include "script_host.h"

namespace {

// noinline (MSVC's spelling, which MinGW-w64 takes too): each keeps a frame of its own.
__declspec(noinline) void writeThrough(volatile int* where) { *where = 1; }

__declspec(noinline) void keepScore(volatile int* where) {
  writeThrough(where);
  scriptWait(0);
}

__declspec(noinline) void playRound(int round) {
  volatile int* const score = round == 3 ? nullptr : new int(0);
  keepScore(score);
}

void script() {
  for (int round = 1;; ++round) playRound(round);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scriptRegister(module, script);
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
