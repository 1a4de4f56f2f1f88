// A plug-in of an author's own that asks the game for floats: in every frame
// the wind at two places (one native, two arguments, two answers), and it
// pushes floats of its own. F8 doubles what it pushes, Escape starts again from 1.
// Written for the scenario language's floats, `when` answers and key names.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>

#include "script_host.h"

namespace {

constexpr std::uint64_t kWindAt = 0x5EA7000000000001;    // (int place, float height) -> float
constexpr std::uint64_t kSetSail = 0x5EA7000000000002;   // (float speed, float heading)
constexpr std::uint64_t kHarbour = 0x5EA7000000000003;   // (text name) -> int

volatile LONG g_scale = 1;  // a power of two, set from the keyboard handler

std::uint64_t floatSlot(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatResult(const std::uint64_t* result) {
  const auto bits = static_cast<std::uint32_t>(result[0]);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

float windAt(int place, float height) {
  nativeInit(kWindAt);
  nativePush64(static_cast<std::uint32_t>(place));
  nativePush64(floatSlot(height));
  return floatResult(nativeCall());
}

void script() {
  nativeInit(kHarbour);
  nativePush64(reinterpret_cast<std::uintptr_t>("Port Vale"));
  const auto harbour = static_cast<std::int32_t>(static_cast<std::uint32_t>(nativeCall()[0]));
  std::ofstream("weather.txt") << "harbour " << harbour << '\n';
  for (;;) {
    const float north = windAt(1, 2.5f), south = windAt(2, 2.5f);
    nativeInit(kSetSail);
    nativePush64(floatSlot((north + south) * static_cast<float>(g_scale)));
    nativePush64(floatSlot(north - south));
    nativeCall();
    scriptWait(0);
  }
}

void onKey(HostDword key, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool isUpNow) {
  if (isUpNow) return;
  if (key == VK_F8) InterlockedExchange(&g_scale, g_scale * 2);
  if (key == VK_ESCAPE) InterlockedExchange(&g_scale, 1);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
  }
  if (reason == DLL_PROCESS_DETACH) {
    keyboardHandlerUnregister(onKey);
    scriptUnregister(module);
  }
  return TRUE;
}
