#pragma once

#include <cstdint>

#include "host/native_call.h"
#include "host/native_slots.h"

// Typed wrappers over the game's query natives. Each makes one fresh call:
// nothing is cached, since the game's answers change from frame to frame.
GameHash hashOfText(const char* text);
GameHash currentWeaponHash(GameHandle character);
bool entityStateTest(GameHandle entity, std::int32_t a, std::int32_t b);
bool revealControlTest(std::int32_t n, GameHash control);
bool zoomControlTest(std::int32_t n, GameHash control);
bool controlSetTest(std::int32_t n);

// Yes/no questions about one character, entity or weapon, asked of `native`.
bool handleTest(std::uint64_t native, GameHandle handle);
bool hashTest(std::uint64_t native, GameHash hash);

// Appends three float slots to a call the caller has begun and will perform.
void pushThreeFloats(NativeCall& call, float x, float y, float z);
