#pragma once

#include "host/native_slots.h"

// The local player's character, which the three features ask about. The
// frame loop refreshes it at start-up and first in every frame: one fresh
// query per frame, which every feature step of that frame reads.
extern GameHandle playerCharacter;

void refreshPlayerCharacter();
