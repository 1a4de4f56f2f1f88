#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "features/camera_shake.h"
#include "features_test_support.h"

namespace {

using standin::Answer;

constexpr std::uint32_t kFirstWeaponAnswer = 0x0BADF00D;
constexpr std::uint32_t kSecondWeaponAnswer = 0x5EC0D000;

class CameraShakeTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    answerShaking();
  }
  static void answerShaking() {
    answer(native::kWeapon, {weaponAnswer(kFirstWeaponAnswer), weaponAnswer(kSecondWeaponAnswer)});
    answer(native::kShakeWeapon, {truth(true)});
    answer(native::kFiring, {truth(true)});
    answer(native::kShakeBlocked, {truth(false)});
    answer(native::kStrongShake, {truth(false)});
  }
};

TEST_F(CameraShakeTest, SevenCallsWithTheirArguments) {
  cameraShakeStep();
  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].hash, native::kWeapon);
  EXPECT_EQ(calls[0].args[0], kPlayerSlot);
  EXPECT_EQ(calls[1].hash, native::kShakeWeapon);
  EXPECT_EQ(calls[1].args, (std::vector<std::uint64_t>{kFirstWeaponAnswer}));
  EXPECT_EQ(calls[2].hash, native::kFiring);
  EXPECT_EQ(calls[2].args, (std::vector<std::uint64_t>{kPlayerSlot}));
  EXPECT_EQ(calls[3].hash, native::kShakeBlocked);
  EXPECT_TRUE(calls[3].args.empty());
  EXPECT_EQ(calls[4].hash, native::kWeapon);
  EXPECT_EQ(calls[5].hash, native::kStrongShake);
  EXPECT_EQ(calls[5].args, (std::vector<std::uint64_t>{kSecondWeaponAnswer}));
  EXPECT_EQ(calls[6].hash, native::kShake);
  ASSERT_EQ(calls[6].args.size(), 2u);
  EXPECT_NE(calls[6].args[0], 0u);
  EXPECT_EQ(calls[6].texts.at(0), "SMALL_EXPLOSION_SHAKE");
  EXPECT_EQ(calls[6].args[1], 0x3D4CCCCDu);
}

TEST_F(CameraShakeTest, EachFailingTestStopsTheStep) {
  const struct {
    const char* name;
    std::uint64_t native;
    Answer failing;
    std::vector<std::uint64_t> calls;
  } cases[] = {
      {"weapon does not shake", native::kShakeWeapon, truth(false), {native::kWeapon, native::kShakeWeapon}},
      {"not firing", native::kFiring, truth(false), {native::kWeapon, native::kShakeWeapon, native::kFiring}},
      {"blocked", native::kShakeBlocked, truth(true),
       {native::kWeapon, native::kShakeWeapon, native::kFiring, native::kShakeBlocked}},
  };
  for (const auto& c : cases) {
    host().reset();
    answerShaking();
    answer(c.native, {c.failing});
    cameraShakeStep();
    EXPECT_EQ(callHashes(), c.calls) << c.name;
  }
}

// Truth is the low 32 bits of the first slot: a value only in the upper
// half reads false.
TEST_F(CameraShakeTest, AnswerOnlyInTheUpperHalfReadsFalse) {
  answer(native::kShakeBlocked, {Answer::ofWhole(0x0000000100000000ull)});
  cameraShakeStep();
  EXPECT_EQ(callsOf(native::kShake).size(), 1u);
}

TEST_F(CameraShakeTest, AmplitudeChosenByTheStrongShakeTest) {
  const struct {
    bool strong;
    std::uint64_t amplitudeBits;
  } cases[] = {{false, 0x3D4CCCCDu}, {true, 0x3DA3D70Au}};
  for (const auto& c : cases) {
    host().reset();
    answerShaking();
    answer(native::kStrongShake, {truth(c.strong)});
    cameraShakeStep();
    const auto shakes = callsOf(native::kShake);
    ASSERT_EQ(shakes.size(), 1u);
    EXPECT_EQ(shakes[0].args[1], c.amplitudeBits) << c.strong;
  }
}

TEST_F(CameraShakeTest, OneShakeInEveryPassingFrame) {
  for (int frame = 0; frame < 3; ++frame) {
    cameraShakeStep();
    nextFrame();
  }
  EXPECT_EQ(callsOf(native::kShake).size(), 3u);
  EXPECT_EQ(callsOf(native::kWeapon).size(), 6u);
}

}  // namespace
