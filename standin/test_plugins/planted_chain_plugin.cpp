// A planted fault that needs three things at once: F8 marks the current
// target for tracking; the game then says the target is gone (its out-variable
// written 0), and later a negative distance sends the plug-in to the record it
// forgot. Any one or two of them alone are handled.
#include <windows.h>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kPlayerHandle = 0x5EED00000000A003;
constexpr std::uint64_t kTargetOf = 0x5EED00000000A001;        // (handle, out) -> bool
constexpr std::uint64_t kTargetDistance = 0x5EED00000000A002;  // (handle, handle) -> float
constexpr HostDword kMarkKey = VK_F8;

struct Tracked {
  std::int32_t handle = 0;
  float lastDistance = 0;
};

Tracked g_record;
Tracked* volatile g_tracked = nullptr;  // read afresh: the fault is a real null read
bool g_tracking = false;
volatile LONG g_markPressed = 0;

void onKey(HostDword code, HostWord, HostByte, HostBool, HostBool, HostBool wasDown, HostBool upNow) {
  if (code == kMarkKey && !wasDown && !upNow) InterlockedExchange(&g_markPressed, 1);
}

void frame() {
  const std::int32_t player = planted::intOf(planted::call(kPlayerHandle)[0]);
  std::int32_t target = -1;  // left as it is when the game has no news
  planted::call(kTargetOf, {planted::intSlot(player), planted::pointerSlot(&target)});
  if (InterlockedExchange(&g_markPressed, 0) != 0 && target > 0) {
    g_record.handle = target;
    g_tracked = &g_record;
    g_tracking = true;
  }
  if (!g_tracking) return;
  if (target == 0) g_tracked = nullptr;  // the target is gone: its record with it
  const float distance = planted::floatOf(
      planted::call(kTargetDistance, {planted::intSlot(player), planted::intSlot(target)})[0]);
  if (distance < 0) {
    // Behind the camera: the game gives no distance, the last one stands.
    g_record.lastDistance = g_tracked->lastDistance + 1.0f;
  } else if (g_tracked) {
    g_tracked->lastDistance = distance;
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, test_plugin::everyFrame<frame>, onKey);
}
