#pragma once

#include <map>

#include "host/native_slots.h"

// Game hash of a built-in name to that name. The texts are the lists'
// constants; the map owns only its entries.
extern std::map<GameHash, const char*> NameMap;

// Files every built-in name under the game's hash of it and logs how many
// distinct hashes there are. A name whose hash is already filed replaces
// the earlier one.
void initNamesGenerator();
