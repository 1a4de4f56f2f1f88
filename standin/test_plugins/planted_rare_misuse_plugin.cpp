// A planted misuse on one rare path: a satchel of exactly seven slots takes
// an old layout whose last slot is found as (slots - 8), pushed sign-extended
// (ARG-KIND). Every other count pushes its arguments right.
#include <windows.h>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kSatchelSlots = 0x5EED00000000B001;  // () -> int
constexpr std::uint64_t kAmmoInSlot = 0x5EED00000000B002;    // (int, int) -> int
constexpr std::int32_t kOldLayoutSlots = 7;
constexpr std::int32_t kMostSlotsRead = 4;

std::int32_t g_ammo = 0;

void frame() {
  const std::int32_t slots = planted::intOf(planted::call(kSatchelSlots)[0]);
  if (slots == kOldLayoutSlots) {
    const std::int64_t lastSlot = slots - 8;
    g_ammo = planted::intOf(planted::call(kAmmoInSlot, {0, static_cast<std::uint64_t>(lastSlot)})[0]);
    return;
  }
  for (std::int32_t slot = 0; slot < slots && slot < kMostSlotsRead; ++slot)
    g_ammo += planted::intOf(planted::call(kAmmoInSlot, {0, planted::intSlot(slot)})[0]);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, test_plugin::everyFrame<frame>);
}
