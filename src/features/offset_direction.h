#pragma once

#include "host/native_slots.h"

// F x A, where A is the entity's vector from the game and F the unit vector
// of the entity's heading (its rotation's z) and elevation (minus its
// rotation's y). Two native calls; not normalised.
HostVector3 entityOffsetDirection(GameHandle entity);
