// Tally: counts the frames in which the player's character fires, keeps the
// count in tally.txt in the game folder, and starts again from 0 when F9 is
// pressed.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "script_host.h"

namespace {

constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;  // (); a handle
constexpr std::uint64_t kIsFiring = 0x34616828CD07F1A1;         // (handle); a bool
constexpr HostDword kResetKey = VK_F9;

// Set on the game window's thread and taken by the script: the keyboard
// handler may not call natives itself.
std::atomic<bool> g_resetAsked{false};

void onKey(HostDword key, HostWord, HostByte, HostBool, HostBool, HostBool wasDown, HostBool isUp) {
  if (key == kResetKey && !wasDown && !isUp) g_resetAsked = true;
}

std::int32_t playerCharacter() {
  nativeInit(kPlayerCharacter);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(nativeCall()[0]));
}

bool isFiring(std::int32_t character) {
  nativeInit(kIsFiring);
  // Through uint32_t: a negative handle must reach the game zero-extended.
  nativePush64(static_cast<std::uint32_t>(character));
  return static_cast<std::uint32_t>(nativeCall()[0]) != 0;
}

void writeCount(unsigned count) {
  if (std::FILE* file = std::fopen("tally.txt", "w")) {
    std::fprintf(file, "%u\n", count);
    std::fclose(file);
  }
}

void script() {
  unsigned count = 0;
  writeCount(count);
  for (;;) {
    if (g_resetAsked.exchange(false)) {
      count = 0;
      writeCount(count);
    }
    if (isFiring(playerCharacter())) writeCount(++count);
    scriptWait(0);  // the rest of this frame belongs to the game
  }
}

}  // namespace

// Registration only: DllMain runs under the loader lock. Unregistering on
// detach lets the host unload and reload the plug-in while the game runs.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
  } else if (reason == DLL_PROCESS_DETACH) {
    scriptUnregister(module);
    keyboardHandlerUnregister(onKey);
  }
  return TRUE;
}
