#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "features/melee_gore.h"
#include "features_test_support.h"

namespace {

using standin::Answer;
using standin::EventKind;

constexpr std::uint32_t kFirstMelee = 0x28950C71;
constexpr std::uint32_t kSecondMelee = 0xEF32A25D;
constexpr std::int32_t kTarget = -77;
constexpr std::uint64_t kTargetSlot = 0xFFFFFFB3u;
constexpr std::int32_t kGoreBones[] = {14283, 21030, 53675, 54187, 55120};

constexpr std::uint64_t kWeapon = native::kWeapon;
constexpr std::uint64_t kTargetQuery = native::kTarget;
constexpr std::uint64_t kTest1 = native::kTargetTest1;
constexpr std::uint64_t kTest2 = native::kTargetTest2;
constexpr std::uint64_t kTest3 = native::kTargetTest3;
constexpr std::uint64_t kState = native::kEntityState;
constexpr std::uint64_t kBone = native::kBone;
constexpr std::uint64_t kBonePosition = native::kBonePosition;

struct ShotScene {
  float bone[3];
  float rotation[3];
  float vector[3];
};

class MeleeGoreTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    answerShotPath();
  }
  // A frame that goes all the way to the shot, with the third target test
  // false so the state test is asked only to choose the wait.
  static void answerShotPath(const ShotScene& scene = {{10.5f, -20.25f, 1.75f}, {0.0f, 12.5f, -123.456f},
                                                       {0.3f, -7.1f, 2.2f}}) {
    answer(native::kWeapon, {weaponAnswer(kFirstMelee)});
    answer(native::kTarget, {Answer::ofInt(kTarget)});
    answer(native::kTargetTest1, {truth(true)});
    answer(native::kTargetTest2, {truth(true)});
    answer(native::kTargetTest3, {truth(false)});
    answer(native::kEntityState, {truth(false)});
    answer(native::kBone, {Answer::ofOut(1, 14283)});
    answer(native::kBonePosition, {Answer::ofVector(scene.bone[0], scene.bone[1], scene.bone[2])});
    answer(native::kEntityRotation, {Answer::ofVector(scene.rotation[0], scene.rotation[1], scene.rotation[2])});
    answer(native::kEntityVector, {Answer::ofVector(scene.vector[0], scene.vector[1], scene.vector[2])});
  }
  static bool shotFired() { return !callsOf(native::kGoreShot).empty(); }
};

TEST_F(MeleeGoreTest, WeaponAskedOnceForTheFirstMeleeWeaponAndTwiceOtherwise) {
  const struct {
    std::vector<std::uint32_t> weapons;
    std::size_t weaponCalls;
    bool goesOn;
  } cases[] = {
      {{kFirstMelee}, 1, true},
      {{0x11111111, kSecondMelee}, 2, true},
      {{0x11111111, 0x22222222}, 2, false},
      {{kSecondMelee, kFirstMelee}, 2, false},  // each answer is held against its own weapon
      {{0xA2719263, 0}, 2, false},
  };
  for (const auto& c : cases) {
    host().reset();
    answerShotPath();
    std::vector<Answer> answers;
    for (std::uint32_t w : c.weapons) answers.push_back(weaponAnswer(w));
    answer(native::kWeapon, answers);
    meleeGoreStep();
    const auto hashes = callHashes();
    ASSERT_GE(hashes.size(), c.weaponCalls) << std::hex << c.weapons[0];
    EXPECT_EQ(std::vector<std::uint64_t>(hashes.begin(), hashes.begin() + c.weaponCalls),
              std::vector<std::uint64_t>(c.weaponCalls, kWeapon));
    if (c.goesOn) {
      ASSERT_GT(hashes.size(), c.weaponCalls);
      EXPECT_EQ(hashes[c.weaponCalls], kTargetQuery);
    } else {
      EXPECT_EQ(hashes.size(), c.weaponCalls) << std::hex << c.weapons[0];
      EXPECT_TRUE(waits().empty());
    }
  }
}

TEST_F(MeleeGoreTest, NoTargetEndsAfterTheTargetQuery) {
  answer(native::kTarget, {Answer::ofWhole(0xFFFFFFFF00000000ull)});  // low 32 bits: no target
  meleeGoreStep();
  EXPECT_EQ(callHashes(), (std::vector<std::uint64_t>{kWeapon, kTargetQuery}));
  EXPECT_EQ(callsOf(kTargetQuery)[0].args, (std::vector<std::uint64_t>{kPlayerSlot}));
  EXPECT_TRUE(waits().empty());
}

TEST_F(MeleeGoreTest, TargetTestsInOrderEachEndingTheStep) {
  const struct {
    const char* name;
    bool test1, test2, test3;
    std::vector<Answer> states;
    std::vector<std::uint64_t> callsUpToBone;
    bool reachesBone;
  } cases[] = {
      {"first false", false, true, true, {truth(true)}, {kWeapon, kTargetQuery, kTest1}, false},
      {"second false", true, false, true, {truth(true)}, {kWeapon, kTargetQuery, kTest1, kTest2}, false},
      {"third true, state false", true, true, true, {truth(false)},
       {kWeapon, kTargetQuery, kTest1, kTest2, kTest3, kState}, false},
      {"third true, state true", true, true, true, {truth(true)},
       {kWeapon, kTargetQuery, kTest1, kTest2, kTest3, kState, kBone}, true},
      {"third false: state not asked", true, true, false, {truth(false)},
       {kWeapon, kTargetQuery, kTest1, kTest2, kTest3, kBone}, true},
  };
  for (const auto& c : cases) {
    host().reset();
    answerShotPath();
    answer(native::kTargetTest1, {truth(c.test1)});
    answer(native::kTargetTest2, {truth(c.test2)});
    answer(native::kTargetTest3, {truth(c.test3)});
    answer(native::kEntityState, c.states);
    meleeGoreStep();
    auto hashes = callHashes();
    if (hashes.size() > c.callsUpToBone.size()) hashes.resize(c.callsUpToBone.size());
    EXPECT_EQ(hashes, c.callsUpToBone) << c.name;
    EXPECT_EQ(shotFired(), c.reachesBone) << c.name;
    for (std::uint64_t test : {kTest1, kTest2, kTest3})
      for (const auto& call : callsOf(test)) EXPECT_EQ(call.args, (std::vector<std::uint64_t>{kTargetSlot}));
    for (const auto& call : callsOf(kState)) EXPECT_EQ(call.args, (std::vector<std::uint64_t>{kTargetSlot, 11, 0}));
  }
}

TEST_F(MeleeGoreTest, OnlyTheFiveBoneIdsLeadToAShot) {
  for (std::int32_t bone : kGoreBones) {
    host().reset();
    answerShotPath();
    answer(native::kBone, {Answer::ofOut(1, static_cast<std::uint32_t>(bone))});
    meleeGoreStep();
    EXPECT_TRUE(shotFired()) << bone;
    const auto boneCalls = callsOf(kBone);
    ASSERT_EQ(boneCalls.size(), 1u);
    ASSERT_EQ(boneCalls[0].args.size(), 2u);
    EXPECT_EQ(boneCalls[0].args[0], kTargetSlot);
    EXPECT_NE(boneCalls[0].args[1], 0u) << "the address of the bone variable";
  }
  for (std::int32_t bone : {14284, -14283, 0x37CB0000 | 0x37CB}) {
    host().reset();
    answerShotPath();
    answer(native::kBone, {Answer::ofOut(1, static_cast<std::uint32_t>(bone))});
    meleeGoreStep();
    EXPECT_EQ(callHashes().back(), kBone) << bone;
    EXPECT_TRUE(waits().empty()) << bone;
  }
}

// A game that writes no bone leaves the variable at 0, which is no gore
// bone, even where the stack held a gore bone id before.
TEST_F(MeleeGoreTest, BoneQueryWritingNothingEndsTheStep) {
  answer(native::kBone, {Answer::ofInt(14283)});  // in the result slot, which is not read
  fillStackWith(14283);
  meleeGoreStep();
  EXPECT_FALSE(shotFired());
  EXPECT_EQ(callHashes().back(), kBone);
}

TEST_F(MeleeGoreTest, WaitChosenByAFreshStateTestAndAnotherAfterTheShot) {
  const struct {
    bool test3;
    std::vector<Answer> states;
    std::uint32_t firstWait;
  } cases[] = {
      {false, {truth(true)}, 700},
      {false, {truth(false)}, 80},
      {true, {truth(true), truth(true)}, 700},
      {true, {truth(true), truth(false)}, 80},
  };
  for (const auto& c : cases) {
    host().reset();
    answerShotPath();
    answer(native::kTargetTest3, {truth(c.test3)});
    answer(native::kEntityState, c.states);
    meleeGoreStep();
    EXPECT_EQ(waits(), (std::vector<std::uint32_t>{c.firstWait, 80})) << c.firstWait;
    // state test, wait, bone position, vector, rotation, shot, wait
    const auto& events = host().events();
    ASSERT_EQ(events.size(), callHashes().size() + 2);
    const std::size_t n = events.size();
    EXPECT_EQ(events[n - 7].hash, kState);
    EXPECT_EQ(events[n - 6].kind, EventKind::Wait);
    EXPECT_EQ(events[n - 5].hash, kBonePosition);
    EXPECT_EQ(events[n - 4].hash, native::kEntityVector);
    EXPECT_EQ(events[n - 3].hash, native::kEntityRotation);
    EXPECT_EQ(events[n - 2].hash, native::kGoreShot);
    EXPECT_EQ(events[n - 1].kind, EventKind::Wait);
  }
}

// What was found before the wait is used after it: nothing is asked again,
// and every later query is about the same target.
TEST_F(MeleeGoreTest, TargetAndBoneFromBeforeTheWaitAreUsedAfterIt) {
  answer(native::kBone, {Answer::ofOut(1, 55120)});
  meleeGoreStep();
  EXPECT_EQ(callsOf(kTargetQuery).size(), 1u);
  EXPECT_EQ(callsOf(kBone).size(), 1u);
  EXPECT_EQ(callsOf(kTest1).size(), 1u);
  EXPECT_EQ(callsOf(kWeapon).size(), 1u);
  const auto position = callsOf(kBonePosition);
  ASSERT_EQ(position.size(), 1u);
  EXPECT_EQ(position[0].args, (std::vector<std::uint64_t>{kTargetSlot, 55120, 0, 0, 0}));
  EXPECT_EQ(callsOf(native::kEntityVector)[0].args, (std::vector<std::uint64_t>{kTargetSlot}));
  EXPECT_EQ(callsOf(native::kEntityRotation)[0].args, (std::vector<std::uint64_t>{kTargetSlot, 2}));
}

std::vector<std::uint64_t> expectedShotArguments(const ShotScene& scene) {
  const HostVector3 p = expectedShotStart(
      scene.bone, expectedOffsetDirection(scene.rotation[1], scene.rotation[2], scene.vector));
  return {bitsOf(p.x), bitsOf(p.y), bitsOf(p.z), bitsOf(scene.bone[0]), bitsOf(scene.bone[1]),
          bitsOf(scene.bone[2]), 1000, 1, 0x31B7B9FE, kPlayerSlot, 0, 1, 0xBF800000u, 0};
}

TEST_F(MeleeGoreTest, ShotArgumentsAreBitExact) {
  const ShotScene scenes[] = {
      {{10.5f, -20.25f, 1.75f}, {0.0f, 12.5f, -123.456f}, {0.3f, -7.1f, 2.2f}},
      {{-1234.567f, 4321.125f, 98.76f}, {3.0f, 0.0f, 0.0f}, {0.25f, -0.5f, 0.75f}},
      {{0.1f, 0.2f, 0.3f}, {0.0f, 0.0f, 90.0f}, {1.1f, 2.2f, 3.3f}},
      {{7.0f, 8.0f, 9.0f}, {0.0f, 90.0f, 33.0f}, {-2.5f, 6.25f, 1.0e-3f}},
      {{-0.0f, 0.0f, -5.5f}, {-10.0f, -37.7f, 359.9f}, {123.0f, -45.6f, 7.89f}},
      {{2.0e3f, -3.0e3f, 150.25f}, {0.0f, 60.0f, -720.5f}, {-0.001f, 0.002f, -0.003f}},
  };
  for (const auto& scene : scenes) {
    host().reset();
    answerShotPath(scene);
    meleeGoreStep();
    const auto shots = callsOf(native::kGoreShot);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].args, expectedShotArguments(scene)) << scene.rotation[1] << "/" << scene.rotation[2];
  }
}

TEST_F(MeleeGoreTest, SameTargetIsShotAgainInTheNextFrame) {
  meleeGoreStep();
  nextFrame();
  meleeGoreStep();
  EXPECT_EQ(callsOf(native::kGoreShot).size(), 2u);
  EXPECT_EQ(waits(), (std::vector<std::uint32_t>{80, 80, 0, 80, 80}));
}

}  // namespace
