// No fault planted: a plug-in that calls natives of every kind a names file
// declares and takes whatever the game answers (zeros, NaNs, infinities,
// huge values, out-variables left unwritten, keys at any time, reloads)
// without a crash or a broken rule.
#include <windows.h>

#include <cmath>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kPlayer = 0x5EED00000000D001;       // () -> handle
constexpr std::uint64_t kHealth = 0x5EED00000000D002;       // (handle) -> int
constexpr std::uint64_t kWeaponHash = 0x5EED00000000D003;   // (handle) -> hash
constexpr std::uint64_t kIsAiming = 0x5EED00000000D004;     // (handle, bool) -> bool
constexpr std::uint64_t kSpeed = 0x5EED00000000D005;        // (handle, float) -> float
constexpr std::uint64_t kPosition = 0x5EED00000000D006;     // (handle, vector) -> vector
constexpr std::uint64_t kGroundAt = 0x5EED00000000D007;     // (vector, out, out) -> bool
constexpr std::uint64_t kLabelOf = 0x5EED00000000D008;      // (text, hash) -> whole
constexpr std::uint64_t kShowLabel = 0x5EED00000000D009;    // (whole, int)
constexpr std::uint64_t kSetMarker = 0x5EED00000000D00A;    // (handle, vector, float, bool)

constexpr int kHistory = 8;

volatile LONG g_markerOn = 0;
std::int32_t g_health[kHistory] = {};
unsigned g_frame = 0;

void onKey(HostDword code, HostWord, HostByte, HostBool, HostBool, HostBool wasDown, HostBool upNow) {
  if (code == VK_F7 && !wasDown && !upNow) InterlockedExchange(&g_markerOn, g_markerOn == 0 ? 1 : 0);
}

float finiteOr(float value, float fallback) { return std::isfinite(value) ? value : fallback; }

// A bounded index whatever the game said, negative or huge.
int slotOf(std::int32_t value) {
  const auto unsignedValue = static_cast<std::uint32_t>(value);
  return static_cast<int>(unsignedValue % kHistory);
}

void frame() {
  using namespace planted;
  const std::int32_t player = intOf(call(kPlayer)[0]);
  const std::int32_t health = intOf(call(kHealth, {intSlot(player)})[0]);
  g_health[slotOf(health)] = health;
  const std::uint32_t weapon = static_cast<std::uint32_t>(call(kWeaponHash, {intSlot(player)})[0]);
  const bool aiming = static_cast<std::uint32_t>(call(kIsAiming, {intSlot(player), weapon != 0 ? 1u : 0u})[0]) != 0;
  const float speed = finiteOr(floatOf(call(kSpeed, {intSlot(player), floatSlot(aiming ? 0.5f : 1.0f)})[0]), 0.0f);

  const std::uint64_t* at = call(kPosition, {intSlot(player), floatSlot(speed), floatSlot(0), floatSlot(-speed)});
  const float x = finiteOr(floatOf(at[0]), 0), y = finiteOr(floatOf(at[1]), 0), z = finiteOr(floatOf(at[2]), 0);

  std::int32_t material = -1, depth = -1;
  const bool onGround = static_cast<std::uint32_t>(
      call(kGroundAt, {floatSlot(x), floatSlot(y), floatSlot(z), pointerSlot(&material), pointerSlot(&depth)})[0]) != 0;
  const float height = onGround && depth >= 0 ? z - static_cast<float>(depth % 1000) : z;

  const std::uint64_t label = call(kLabelOf, {pointerSlot(aiming ? "aiming" : "idle"), weapon})[0];
  if (label != 0) call(kShowLabel, {label, intSlot(g_health[g_frame % kHistory])});
  if (g_markerOn != 0) call(kSetMarker, {intSlot(player), floatSlot(x), floatSlot(y), floatSlot(height),
                                         floatSlot(std::fabs(speed)), onGround ? 1u : 0u});
  ++g_frame;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, test_plugin::everyFrame<frame>, onKey);
}
