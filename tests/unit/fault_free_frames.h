#pragma once

// The two frames that fail nowhere, as the stand-in's answers: the idle
// frame, where every step stops at its first test, and the busy frame, where
// all three steps act. Shared by the unit tests and the benchmarks.

#include "config/settings_store.h"
#include "feature_natives.h"
#include "features/alternative_camera.h"
#include "host/standin_host.h"

namespace fault_free {

constexpr std::int32_t kPlayer = 77;
constexpr std::uint32_t kMeleeWeapon = 0x28950C71;
constexpr std::int32_t kTarget = 5;
constexpr std::uint32_t kGoreBone = 21030;

// All three switches on, the toggle on, and the stand-in forgetting all it knew.
inline void beginScene() {
  standin::StandinHost::instance().reset();
  publishSettingsStore(makeDefaultSettings());
  alternativeCameraOn = true;
}

// Everything unanswered reads as 0: the aim gate fails, the weapon is none
// (so neither melee weapon, nor one that shakes).
inline void answerIdleFrame() {
  beginScene();
  standin::AnswerBook& book = standin::StandinHost::instance().answers();
  book.setDefault(native::kPlayerCharacter, standin::Answer::ofInt(kPlayer));
}

// A melee weapon that also passes the aim gate and shakes; the gore target's
// bone, its direction and its rotation are answered with figures off the
// axes, so the gore shot's arithmetic takes its general road. The zoom
// control is never pressed, so the camera toggle stays on.
inline void answerBusyFrame() {
  using standin::Answer;
  beginScene();
  standin::AnswerBook& book = standin::StandinHost::instance().answers();
  book.setDefault(native::kPlayerCharacter, Answer::ofInt(kPlayer));
  book.setDefault(native::kAimGate, Answer::ofInt(1));
  book.setDefault(native::kWeapon, Answer::ofOut(1, kMeleeWeapon));
  book.setDefault(native::kAimCharacter, Answer::ofInt(1));
  book.setDefault(native::kControlSet, Answer::ofInt(1));
  book.setDefault(native::kTarget, Answer::ofInt(kTarget));
  book.setDefault(native::kTargetTest1, Answer::ofInt(1));
  book.setDefault(native::kTargetTest2, Answer::ofInt(1));
  book.setDefault(native::kBone, Answer::ofOut(1, kGoreBone));
  book.setDefault(native::kBonePosition, Answer::ofVector(-310.25f, 812.5f, 41.75f));
  book.setDefault(native::kEntityVector, Answer::ofVector(0.3f, -0.8f, 0.52f));
  book.setDefault(native::kEntityRotation, Answer::ofVector(4.5f, -12.25f, 217.75f));
  book.setDefault(native::kShakeWeapon, Answer::ofInt(1));
  book.setDefault(native::kFiring, Answer::ofInt(1));
}

}  // namespace fault_free
