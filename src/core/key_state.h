#pragma once

#include <array>
#include <cstdint>

#include "script_host.h"

// The latest keyboard message seen for one key code.
struct KeyState {
  std::uint32_t tickCount;
  std::int32_t fifthArgument;
  std::int32_t sixthArgument;
  std::int32_t seventhArgument;
};

constexpr std::uint32_t kKeyCodeBound = 255;

// Written only by keyboardHandler, on whatever thread the host calls it from.
extern std::array<KeyState, kKeyCodeBound> KeyStateTable;

void keyboardHandler(HostDword keyCode, HostWord repeats, HostByte scanCode, HostBool isExtended,
                     HostBool isWithAlt, HostBool wasDownBefore, HostBool isUpNow);
