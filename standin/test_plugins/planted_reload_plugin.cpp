// A planted fault that shows only after a reload: the chosen mode is kept in
// the process's environment so that it survives the host's reloads, as
// answered, unchecked; the running script checks the game's answer, the
// restored one is trusted. A mode outside 0-3 before a reload crashes the
// plug-in's next start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "planted_calls.h"
#include "test_plugin_entry.h"

namespace {

constexpr std::uint64_t kChosenMode = 0x5EED00000000C001;  // () -> int
constexpr std::uint64_t kApplyMode = 0x5EED00000000C002;   // (int, float)
constexpr const char* kKeptModeVariable = "PLANTED_RELOAD_MODE";

struct Mode {
  std::int32_t id;
  float zoom;
};
const Mode kModes[] = {{0, 1.0f}, {1, 1.5f}, {2, 2.0f}, {3, 4.0f}};

const Mode* modeNumbered(std::int32_t id) {
  for (const Mode& mode : kModes)
    if (mode.id == id) return &mode;
  return nullptr;
}

const Mode* volatile g_mode = &kModes[0];

void keepMode(std::int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(id));
  SetEnvironmentVariableA(kKeptModeVariable, text);
}

void restoreMode() {
  char text[16] = "";
  if (GetEnvironmentVariableA(kKeptModeVariable, text, sizeof text) == 0) return;
  g_mode = modeNumbered(static_cast<std::int32_t>(std::strtol(text, nullptr, 10)));
}

void frame() {
  const std::int32_t chosen = planted::intOf(planted::call(kChosenMode)[0]);
  keepMode(chosen);
  if (const Mode* mode = modeNumbered(chosen)) g_mode = mode;
  planted::call(kApplyMode, {planted::intSlot(g_mode->id), planted::floatSlot(g_mode->zoom)});
}

void script() {
  restoreMode();
  for (;;) {
    frame();
    scriptWait(0);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  return test_plugin::registerAtAttach(module, reason, script);
}
