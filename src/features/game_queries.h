#pragma once

#include "host/native_slots.h"

// Typed wrappers over the game's query natives. Each makes one fresh call:
// nothing is cached, since the game's answers change from frame to frame.
GameHash hashOfText(const char* text);
