#pragma once

#include "host/native_slots.h"

// The local player's character, refreshed at start-up and first in every frame.
extern GameHandle playerCharacter;

void refreshPlayerCharacter();
