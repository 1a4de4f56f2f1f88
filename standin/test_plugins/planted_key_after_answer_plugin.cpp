// A planted fault that needs a key after an answer, in that order: K shouts
// (a native called only then), and a shout after a frame in which the mood
// was 5 passes the mood's old volume, -5, sign-extended (ARG-KIND). K before
// the mood of 5, or the mood alone, is handled.
#include <windows.h>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kMood = 0x5EED00000000E001;   // () -> int
constexpr std::uint64_t kShout = 0x5EED00000000E002;  // (int) -> int
constexpr HostDword kShoutKey = 'K';
constexpr std::int32_t kLoudMood = 5;

bool g_wasLoud = false;
volatile LONG g_shoutPressed = 0;

void onKey(HostDword code, HostWord, HostByte, HostBool, HostBool, HostBool wasDown, HostBool upNow) {
  if (code == kShoutKey && !wasDown && !upNow) InterlockedExchange(&g_shoutPressed, 1);
}

void frame() {
  if (InterlockedExchange(&g_shoutPressed, 0) != 0) {
    const std::int64_t oldVolume = -kLoudMood;
    planted::call(kShout, {g_wasLoud ? static_cast<std::uint64_t>(oldVolume) : planted::intSlot(1)});
  }
  if (planted::intOf(planted::call(kMood)[0]) == kLoudMood) g_wasLoud = true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, test_plugin::everyFrame<frame>, onKey);
}
