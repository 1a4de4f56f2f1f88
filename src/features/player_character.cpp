#include "features/player_character.h"

#include "host/native_call.h"

GameHandle playerCharacter = 0;

namespace {
constexpr std::uint64_t kPlayerCharacterNative = 0x096275889B8E0EE0;
}

void refreshPlayerCharacter() { playerCharacter = NativeCall(kPlayerCharacterNative).perform().asHandle(); }
