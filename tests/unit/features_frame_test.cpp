#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "config/settings_store.h"
#include "core/script_entry.h"
#include "features_test_support.h"

namespace {

using standin::Answer;
using standin::EventKind;

constexpr GameHandle kFramePlayer = -99;
constexpr std::uint64_t kFramePlayerSlot = 0xFFFFFF9Du;

const std::set<std::uint64_t> kCameraNatives = {
    native::kAimGate, native::kWeapon, native::kAimWeapon, native::kAimCharacter, native::kCamera,
    native::kControlSet, native::kTextHash, native::kZoomControl, native::kRevealControl};
const std::set<std::uint64_t> kGoreNatives = {
    native::kWeapon, native::kTarget, native::kTargetTest1, native::kTargetTest2, native::kTargetTest3,
    native::kEntityState, native::kBone, native::kBonePosition, native::kEntityVector,
    native::kEntityRotation, native::kGoreShot};
const std::set<std::uint64_t> kShakeNatives = {native::kWeapon, native::kShakeWeapon, native::kFiring,
                                               native::kShakeBlocked, native::kStrongShake, native::kShake};

// Each step makes its calls only for one weapon: the aim camera's gate, the
// gore's weapon and the shake's weapon test all pass on the first melee weapon.
class FeaturesFrameTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    publishSettingsStore(makeDefaultSettings());
    answerAllSteps();
  }
  void TearDown() override {
    publishSettingsStore(SettingsMap{});
    FeatureTest::TearDown();
  }
  static void answerAllSteps() {
    answer(native::kPlayerCharacter, {Answer::ofInt(kFramePlayer)});
    answer(native::kAimGate, {truth(true)});
    answer(native::kWeapon, {weaponAnswer(0x28950C71)});
    answer(native::kAimCharacter, {truth(true)});
    answer(native::kTarget, {Answer::ofInt(5)});
    answer(native::kTargetTest1, {truth(true)});
    answer(native::kTargetTest2, {truth(true)});
    answer(native::kBone, {Answer::ofOut(1, 21030)});
    answer(native::kShakeWeapon, {truth(true)});
    answer(native::kFiring, {truth(true)});
  }
  static std::size_t firstIndexOf(std::uint64_t hash) {
    const auto hashes = callHashes();
    return static_cast<std::size_t>(std::find(hashes.begin(), hashes.end(), hash) - hashes.begin());
  }
};

// The gore step's waits hold the frame; the shake step runs after them with
// the player read at the start of the frame.
TEST_F(FeaturesFrameTest, FrameRunsCameraThenGoreThenShake) {
  runFrame();
  const auto hashes = callHashes();
  ASSERT_FALSE(hashes.empty());
  EXPECT_EQ(hashes.front(), native::kPlayerCharacter);
  EXPECT_EQ(callsOf(native::kPlayerCharacter).size(), 1u);
  EXPECT_EQ(hashes[1], native::kAimGate);
  EXPECT_LT(firstIndexOf(native::kCamera), firstIndexOf(native::kTarget));
  EXPECT_LT(firstIndexOf(native::kGoreShot), firstIndexOf(native::kShakeWeapon));
  EXPECT_EQ(hashes.back(), native::kShake);
  EXPECT_EQ(waits(), (std::vector<std::uint32_t>{80, 80, 0}));
  EXPECT_EQ(host().events().back().kind, EventKind::Wait);
  EXPECT_EQ(callsOf(native::kFiring)[0].args, (std::vector<std::uint64_t>{kFramePlayerSlot}));
  EXPECT_EQ(callsOf(native::kGoreShot)[0].args[9], kFramePlayerSlot);
}

TEST_F(FeaturesFrameTest, EachSwitchRunsOnlyItsOwnStep) {
  const struct {
    const char* on;
    const std::set<std::uint64_t>* natives;
    std::uint64_t mark;
  } cases[] = {
      {kAlternativeCameraSwitch, &kCameraNatives, native::kCamera},
      {kMeleeWeaponsGoreSwitch, &kGoreNatives, native::kGoreShot},
      {kCameraShakeOnShotSwitch, &kShakeNatives, native::kShake},
  };
  for (const auto& c : cases) {
    host().reset();
    answerAllSteps();
    SettingsMap store;
    for (const char* name : {kAlternativeCameraSwitch, kMeleeWeaponsGoreSwitch, kCameraShakeOnShotSwitch})
      store[name] = name == c.on ? "1" : "0";
    publishSettingsStore(store);
    runFrame();
    const auto calls = host().calls();
    ASSERT_GE(calls.size(), 2u) << c.on;
    EXPECT_EQ(calls[0].hash, native::kPlayerCharacter);
    for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(c.natives->count(calls[i].hash), 1u) << c.on;
    EXPECT_EQ(callsOf(c.mark).size(), 1u) << c.on;
  }
}

TEST_F(FeaturesFrameTest, AllSwitchesOffLeaveOnlyTheRefreshAndTheToggle) {
  publishSettingsStore({{kAlternativeCameraSwitch, "0"}, {kMeleeWeaponsGoreSwitch, "0"},
                        {kCameraShakeOnShotSwitch, "0"}});
  answer(native::kControlSet, {truth(false)});
  answer(native::kRevealControl, {truth(true)});
  runFrame();
  EXPECT_EQ(callHashes(), (std::vector<std::uint64_t>{native::kPlayerCharacter}));
  EXPECT_EQ(waits(), (std::vector<std::uint32_t>{0}));
  EXPECT_TRUE(alternativeCameraOn);
}

}  // namespace
