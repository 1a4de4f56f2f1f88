#include "features/melee_gore.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "features/player_character.h"
#include "features/game_queries.h"
#include "features/offset_direction.h"
#include "features/vector_ops.h"
#include "script_host.h"
#include "host/native_call.h"

namespace {

constexpr GameHash kMeleeWeapons[] = {0x28950C71, 0xEF32A25D};
constexpr std::uint64_t kMeleeTargetNative = 0x18A3E9EE1297FD39;
constexpr std::uint64_t kTargetFirstTestNative = 0xCF8176912DDA4EA5;
constexpr std::uint64_t kTargetSecondTestNative = 0xB980061DA992779D;
constexpr std::uint64_t kTargetThirdTestNative = 0x7D5B1F88E7504BBA;
constexpr std::uint64_t kTargetBoneNative = 0xD75960F6BD9EA49C;
constexpr std::uint64_t kBonePositionNative = 0x17C07FC640E86B4E;
constexpr std::uint64_t kGoreShotNative = 0x867654CBC7606F2C;
constexpr std::int32_t kGoreBones[] = {14283, 21030, 53675, 54187, 55120};
constexpr std::int32_t kTargetState = 11;
constexpr HostDword kWaitInStateMs = 700;
constexpr HostDword kWaitOtherwiseMs = 80;
constexpr HostDword kWaitAfterShotMs = 80;
constexpr float kOffsetFactor = 0.15f;
constexpr GameHash kGoreShotKind = 0x31B7B9FE;

// The weapon is asked again for the second comparison.
bool holdsMeleeWeapon() {
  return currentWeaponHash(playerCharacter) == kMeleeWeapons[0] ||
         currentWeaponHash(playerCharacter) == kMeleeWeapons[1];
}

GameHandle meleeTarget() { return NativeCall(kMeleeTargetNative).pushHandle(playerCharacter).perform().asHandle(); }

bool targetQualifies(GameHandle target) {
  if (!handleTest(kTargetFirstTestNative, target) || !handleTest(kTargetSecondTestNative, target)) return false;
  return !handleTest(kTargetThirdTestNative, target) || entityStateTest(target, kTargetState, 0);
}

// 0 when the game writes nothing, and 0 is no gore bone.
std::int32_t targetBone(GameHandle target) {
  std::int32_t bone = 0;
  NativeCall(kTargetBoneNative).pushHandle(target).pushOutVariable(&bone).perform();
  return bone;
}

bool isGoreBone(std::int32_t bone) {
  return std::find(std::begin(kGoreBones), std::end(kGoreBones), bone) != std::end(kGoreBones);
}

HostVector3 bonePosition(GameHandle target, std::int32_t bone) {
  NativeCall call(kBonePositionNative);
  call.pushHandle(target).pushInt(bone);
  pushThreeFloats(call, 0.0f, 0.0f, 0.0f);
  return call.perform().asVector();
}

void fireGoreShot(const HostVector3& from, const HostVector3& to) {
  NativeCall call(kGoreShotNative);
  pushThreeFloats(call, from.x, from.y, from.z);
  pushThreeFloats(call, to.x, to.y, to.z);
  call.pushInt(1000).pushInt(1).pushHash(kGoreShotKind).pushHandle(playerCharacter).pushZero();
  call.pushInt(1).pushFloat(-1.0f).pushZero().perform();
}

}  // namespace

// The target and bone found before the wait are used after it unchanged: a
// target gone meanwhile is not noticed, and the game answers for it as it may.
void meleeGoreStep() {
  if (!holdsMeleeWeapon()) return;
  const GameHandle target = meleeTarget();
  if (target == 0 || !targetQualifies(target)) return;
  const std::int32_t bone = targetBone(target);
  if (!isGoreBone(bone)) return;
  scriptWait(entityStateTest(target, kTargetState, 0) ? kWaitInStateMs : kWaitOtherwiseMs);
  const HostVector3 bonePoint = bonePosition(target, bone);
  const HostVector3 offset = scaleVector(entityOffsetDirection(target), kOffsetFactor);
  fireGoreShot(addVectors(bonePoint, offset), bonePoint);
  scriptWait(kWaitAfterShotMs);
}
