#include "features/camera_shake.h"

#include <cstdint>

#include "features/player_character.h"
#include "features/game_queries.h"
#include "host/native_call.h"

namespace {

constexpr std::uint64_t kShakeWeaponNative = 0x705BE297EEBDB95D;
constexpr std::uint64_t kCharacterFiringNative = 0x34616828CD07F1A1;
constexpr std::uint64_t kShakeBlockedNative = 0xEA4C5F4AA0A4DBEF;
constexpr std::uint64_t kStrongShakeWeaponNative = 0xC75386174ECE95D5;
constexpr std::uint64_t kShakeCameraNative = 0xD9B31B4650520529;
constexpr char kShakeName[] = "SMALL_EXPLOSION_SHAKE";
constexpr float kAmplitude = 0.05f;
constexpr float kStrongAmplitude = 0.08f;

bool shotShakes() {
  if (!hashTest(kShakeWeaponNative, currentWeaponHash(playerCharacter))) return false;
  if (!handleTest(kCharacterFiringNative, playerCharacter)) return false;
  return !NativeCall(kShakeBlockedNative).perform().asTruth();
}

}  // namespace

// No rate limit: every frame that passes the tests asks for one more shake.
void cameraShakeStep() {
  if (!shotShakes()) return;
  const bool strong = hashTest(kStrongShakeWeaponNative, currentWeaponHash(playerCharacter));
  NativeCall(kShakeCameraNative).pushText(kShakeName).pushFloat(strong ? kStrongAmplitude : kAmplitude).perform();
}
