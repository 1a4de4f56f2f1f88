// A planted fault of three steps whose middle one shows only as a debug
// line: a gauge below -1000 starts venting (and says so), and while it vents
// a flow of exactly 7 is passed to the valve sign-extended, as -7
// (ARG-KIND). The same natives are called every frame, whatever the steps.
#include <windows.h>

#include <cstdio>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kGauge = 0x5EED00000000E003;  // () -> int
constexpr std::uint64_t kFlow = 0x5EED00000000E004;   // () -> int
constexpr std::uint64_t kValve = 0x5EED00000000E005;  // (int)
constexpr std::int32_t kVentBelow = -1000;
constexpr std::int32_t kBackFlow = 7;

bool g_venting = false;

void frame() {
  const std::int32_t level = planted::intOf(planted::call(kGauge)[0]);
  if (!g_venting && level < kVentBelow) {
    g_venting = true;
    char line[64];
    std::snprintf(line, sizeof line, "venting at level %d", static_cast<int>(level));
    OutputDebugStringA(line);
  }
  const std::int32_t flow = planted::intOf(planted::call(kFlow)[0]);
  const std::int64_t opening = g_venting && flow == kBackFlow ? -std::int64_t{flow} : 1;
  planted::call(kValve, {g_venting && flow == kBackFlow ? static_cast<std::uint64_t>(opening) : planted::intSlot(1)});
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, test_plugin::everyFrame<frame>);
}
