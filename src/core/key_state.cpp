#include "core/key_state.h"

#include "core/tick_count.h"

std::array<KeyState, kKeyCodeBound> KeyStateTable{};

// Runs on the host's message thread: constant work, no allocation, no lock,
// nothing of the host called. The script never reads the table.
void keyboardHandler(HostDword keyCode, HostWord, HostByte, HostBool, HostBool isWithAlt,
                     HostBool wasDownBefore, HostBool isUpNow) {
  if (keyCode >= kKeyCodeBound) return;
  KeyState& entry = KeyStateTable[keyCode];
  entry.tickCount = currentTickCount();
  entry.fifthArgument = isWithAlt;
  entry.sixthArgument = wasDownBefore;
  entry.seventhArgument = isUpNow;
}
