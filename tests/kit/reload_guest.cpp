// A plug-in of an author's own, to be built from the kit's zip: in every
// frame it counts in a thread_local, throws and catches an exception and
// writes a file, the things whose runtime storage a reload must give back.
// GUEST_THREAD_LOCAL=0 leaves the thread_local out, so that only libstdc++'s
// own exception state is emulated thread-local storage. Every load reads its
// settings from guest.ini, as plug-ins do, which loses nothing;
// GUEST_LEAKS_HANDLE=1 also opens a file at every load and never closes it.
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include "script_host.h"

#ifndef GUEST_THREAD_LOCAL
#define GUEST_THREAD_LOCAL 1
#endif
#ifndef GUEST_LEAKS_HANDLE
#define GUEST_LEAKS_HANDLE 0
#endif

namespace {

constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;

#if GUEST_THREAD_LOCAL
thread_local unsigned t_frames = 0;
#else
unsigned t_frames = 0;
#endif

std::string frameNote(unsigned frame) {
  try {
    if (frame % 2 == 0) throw std::runtime_error("even frame");
    return "odd frame";
  } catch (const std::runtime_error& error) {
    return error.what();
  }
}

void script() {
  for (;;) {
    nativeInit(kPlayerCharacter);
    nativeCall();
    const unsigned frame = ++t_frames;
    std::ofstream("guest.txt") << frame << ' ' << frameNote(frame) << '\n';
    scriptWait(0);
  }
}

}  // namespace

// A DllMain of its own, which knows nothing of the kit's runtime release.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char mode[16] = "";
    GetPrivateProfileStringA("guest", "mode", "plain", mode, sizeof mode, ".\\guest.ini");
    if (GUEST_LEAKS_HANDLE)
      CreateFileA("guest-open.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    scriptRegister(module, script);
  }
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
