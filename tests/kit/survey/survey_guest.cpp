// A plug-in of an author's own that steps by the game's timer and is handed
// values through pointers: in every frame the time since its last step, the
// ground height under a point (a float written through a pointer) and a
// bone's position (a vector written through a pointer, as the game lays one
// out: floats at bytes 0, 8 and 16). It tells what it read on its debug
// output and places a marker there.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "script_host.h"

namespace {

constexpr std::uint64_t kGameTimer = 0x5A7E000000000001;   // () -> int
constexpr std::uint64_t kGroundZ = 0x5A7E000000000002;     // (float x, float y, out-float z) -> bool
constexpr std::uint64_t kBoneCoords = 0x5A7E000000000003;  // (int bone, out-vector at)
constexpr std::uint64_t kPlaceMarker = 0x5A7E000000000004;  // (float, float, float, int step)

// The game's vector behind a pointer: each float in an 8-byte slot.
struct alignas(8) GameVector {
  float x;
  std::uint32_t padX;
  float y;
  std::uint32_t padY;
  float z;
  std::uint32_t padZ;
};
static_assert(sizeof(GameVector) == 24, "the game writes 24 bytes");

std::uint64_t floatSlot(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::uint64_t address(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

int gameTimer() {
  nativeInit(kGameTimer);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(nativeCall()[0]));
}

void script() {
  int last = gameTimer();
  for (;;) {
    scriptWait(0);
    const int now = gameTimer();
    const int step = now - last;
    last = now;
    float ground = -1.0f;
    nativeInit(kGroundZ);
    nativePush64(floatSlot(1.0f));
    nativePush64(floatSlot(2.0f));
    nativePush64(address(&ground));
    const bool found = static_cast<std::uint32_t>(nativeCall()[0]) != 0;
    GameVector bone{};
    bone.padX = bone.padY = bone.padZ = 0xDEADBEEF;
    nativeInit(kBoneCoords);
    nativePush64(31086);
    nativePush64(address(&bone));
    nativeCall();
    char line[160];
    std::snprintf(line, sizeof line, "t=%d step=%d ground=%s%.2f bone=(%.2f, %.2f, %.2f) pads=%08X", now, step,
                  found ? "" : "none ", static_cast<double>(ground), static_cast<double>(bone.x),
                  static_cast<double>(bone.y), static_cast<double>(bone.z), bone.padX | bone.padY | bone.padZ);
    OutputDebugStringA(line);
    nativeInit(kPlaceMarker);
    nativePush64(floatSlot(bone.x));
    nativePush64(floatSlot(bone.y));
    nativePush64(floatSlot(ground));
    nativePush64(static_cast<std::uint32_t>(step));
    nativeCall();
  }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) scriptRegister(module, script);
  if (reason == DLL_PROCESS_DETACH) scriptUnregister(module);
  return TRUE;
}
