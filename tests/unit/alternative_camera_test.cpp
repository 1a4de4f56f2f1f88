#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "features/alternative_camera.h"
#include "features_test_support.h"

namespace {

using standin::Answer;

constexpr std::uint32_t kUnarmed = 0xA2719263;
constexpr std::uint32_t kFirstWeaponAnswer = 0x11111111;
constexpr std::uint32_t kSecondWeaponAnswer = 0x22222222;

class AlternativeCameraTest : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
    answerGatePassing();
  }
  // The two weapon queries answer differently, so the test of the weapon
  // shows which answer it was given.
  static void answerGatePassing() {
    answer(native::kAimGate, {truth(true)});
    answer(native::kWeapon, {weaponAnswer(kFirstWeaponAnswer), weaponAnswer(kSecondWeaponAnswer)});
    answer(native::kAimWeapon, {truth(false)});
    answer(native::kAimCharacter, {truth(true)});
  }
  static std::vector<std::uint64_t> hashesAfterGate() {
    const auto all = callHashes();
    return all.size() <= 5 ? std::vector<std::uint64_t>{}
                           : std::vector<std::uint64_t>(all.begin() + 5, all.end());
  }
};

TEST_F(AlternativeCameraTest, GateCallsInOrderWithTheirArguments) {
  alternativeCameraStep();
  const auto calls = host().calls();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[0].hash, native::kAimGate);
  EXPECT_EQ(calls[0].args, (std::vector<std::uint64_t>{0}));
  EXPECT_EQ(calls[1].hash, native::kWeapon);
  EXPECT_EQ(calls[1].args[0], kPlayerSlot);
  EXPECT_EQ(calls[2].hash, native::kWeapon);
  EXPECT_EQ(calls[3].hash, native::kAimWeapon);
  EXPECT_EQ(calls[3].args, (std::vector<std::uint64_t>{kSecondWeaponAnswer}));
  EXPECT_EQ(calls[4].hash, native::kAimCharacter);
  EXPECT_EQ(calls[4].args, (std::vector<std::uint64_t>{kPlayerSlot}));
}

struct GateFailure {
  const char* name;
  std::uint64_t native;
  Answer failing;
  std::vector<std::uint64_t> calls;
};

TEST_F(AlternativeCameraTest, EachGateTestFailingEndsTheStepWithTheToggleKept) {
  const GateFailure failures[] = {
      {"game test false", native::kAimGate, truth(false), {native::kAimGate}},
      {"unarmed", native::kWeapon, weaponAnswer(kUnarmed), {native::kAimGate, native::kWeapon}},
      {"weapon test true", native::kAimWeapon, truth(true),
       {native::kAimGate, native::kWeapon, native::kWeapon, native::kAimWeapon}},
      {"character test false", native::kAimCharacter, truth(false),
       {native::kAimGate, native::kWeapon, native::kWeapon, native::kAimWeapon, native::kAimCharacter}},
  };
  for (const auto& f : failures) {
    for (bool toggle : {true, false}) {
      host().reset();
      answerGatePassing();
      answer(f.native, {f.failing});
      // Controls that would switch the toggle, were they asked.
      answer(native::kControlSet, {truth(true)});
      answer(native::kZoomControl, {truth(true)});
      alternativeCameraOn = toggle;
      alternativeCameraStep();
      EXPECT_EQ(callHashes(), f.calls) << f.name << " toggle " << toggle;
      EXPECT_EQ(alternativeCameraOn, toggle) << f.name;
    }
  }
}

struct StateRow {
  bool on;
  std::vector<Answer> setAnswers;
  bool controlAnswer;
  std::vector<std::uint64_t> callsAfterGate;
  bool nextOn;
};

constexpr std::uint64_t kCamera = native::kCamera;
constexpr std::uint64_t kSet = native::kControlSet;
constexpr std::uint64_t kHash = native::kTextHash;
constexpr std::uint64_t kZoom = native::kZoomControl;
constexpr std::uint64_t kReveal = native::kRevealControl;

TEST_F(AlternativeCameraTest, StateTable) {
  const Answer yes = truth(true), no = truth(false);
  const StateRow rows[] = {
      {true, {yes}, true, {kCamera, kSet, kHash, kZoom}, false},
      {true, {yes, yes}, false, {kCamera, kSet, kHash, kZoom, kSet}, true},
      {true, {no, no}, true, {kCamera, kSet, kSet, kHash, kReveal}, false},
      {true, {no, no}, false, {kCamera, kSet, kSet, kHash, kReveal}, true},
      {false, {yes}, true, {kSet, kHash, kZoom}, true},
      {false, {yes, yes}, false, {kSet, kHash, kZoom, kSet}, false},
      {false, {no, no}, true, {kSet, kSet, kHash, kReveal}, true},
      {false, {no, no}, false, {kSet, kSet, kHash, kReveal}, false},
  };
  int row = 0;
  for (const auto& r : rows) {
    ++row;
    host().reset();
    answerGatePassing();
    answer(native::kControlSet, r.setAnswers);
    answer(native::kZoomControl, {truth(r.controlAnswer)});
    answer(native::kRevealControl, {truth(r.controlAnswer)});
    alternativeCameraOn = r.on;
    alternativeCameraStep();
    EXPECT_EQ(hashesAfterGate(), r.callsAfterGate) << "row " << row;
    EXPECT_EQ(alternativeCameraOn, r.nextOn) << "row " << row;
  }
}

// The set changing its answer within the frame: the second answer decides
// whether the reveal-HUD control is asked.
TEST_F(AlternativeCameraTest, SecondSetAnswerDecidesTheRevealControl) {
  answer(native::kControlSet, {truth(true), truth(false)});
  answer(native::kZoomControl, {truth(false)});
  answer(native::kRevealControl, {truth(true)});
  alternativeCameraStep();
  EXPECT_EQ(hashesAfterGate(), (std::vector<std::uint64_t>{kCamera, kSet, kHash, kZoom, kSet, kHash, kReveal}));
  EXPECT_FALSE(alternativeCameraOn);

  host().reset();
  answerGatePassing();
  answer(native::kControlSet, {truth(false), truth(true)});
  answer(native::kRevealControl, {truth(true)});
  alternativeCameraStep();
  EXPECT_EQ(hashesAfterGate(), (std::vector<std::uint64_t>{kSet, kSet}));
  EXPECT_FALSE(alternativeCameraOn);
}

TEST_F(AlternativeCameraTest, CameraGetsTwoFloatsOne) {
  alternativeCameraStep();
  const auto cameras = callsOf(native::kCamera);
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(cameras[0].args, (std::vector<std::uint64_t>{0x3F800000u, 0x3F800000u}));
}

// Each control test gets the answer of the hash call just before it, made
// for its own control name.
TEST_F(AlternativeCameraTest, EveryControlTestFollowsAFreshHashOfItsName) {
  const struct {
    bool on;
    bool zoomSet;
    const char* name;
    std::uint64_t control;
  } cases[] = {
      {true, true, "INPUT_SNIPER_ZOOM_OUT_ONLY", kZoom},
      {false, true, "INPUT_SNIPER_ZOOM_IN_ONLY", kZoom},
      {true, false, "INPUT_REVEAL_HUD", kReveal},
      {false, false, "INPUT_REVEAL_HUD", kReveal},
  };
  for (const auto& c : cases) {
    host().reset();
    answerGatePassing();
    answer(native::kControlSet, {truth(c.zoomSet)});
    answer(native::kTextHash, {Answer::ofWhole(0xAAAA0001), Answer::ofWhole(0xAAAA0002)});
    for (int frame = 0; frame < 2; ++frame) {
      alternativeCameraOn = c.on;
      alternativeCameraStep();
      nextFrame();
    }
    const auto calls = host().calls();
    int controlTests = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].hash != c.control) continue;
      ++controlTests;
      ASSERT_GE(i, 1u);
      EXPECT_EQ(calls[i - 1].hash, native::kTextHash) << c.name;
      EXPECT_EQ(calls[i - 1].texts.at(0), c.name);
      EXPECT_EQ(calls[i].args, (std::vector<std::uint64_t>{0, 0xAAAA0001})) << c.name;
    }
    EXPECT_EQ(controlTests, 2) << c.name;
  }
}

// Right after load the toggle is on; it survives frames whose gate fails,
// and with the reveal-HUD control held it flips in every passing frame.
TEST_F(AlternativeCameraTest, ToggleKeptAcrossFramesAndFlippedWithoutDebounce) {
  const struct {
    bool gate;
    bool reveal;
    bool cameraApplied;
    bool nextOn;
  } frames[] = {
      {true, false, true, true},   {true, true, true, false},    {false, true, false, false},
      {false, true, false, false}, {true, false, false, false},  {true, true, false, true},
      {false, true, false, true},  {true, true, true, false},    {true, true, false, true},
  };
  answer(native::kControlSet, {truth(false)});
  int frameNumber = 0;
  for (const auto& f : frames) {
    ++frameNumber;
    answer(native::kAimGate, {truth(f.gate)});
    answer(native::kRevealControl, {truth(f.reveal)});
    const std::size_t camerasBefore = callsOf(native::kCamera).size();
    alternativeCameraStep();
    EXPECT_EQ(callsOf(native::kCamera).size() - camerasBefore, f.cameraApplied ? 1u : 0u)
        << "frame " << frameNumber;
    EXPECT_EQ(alternativeCameraOn, f.nextOn) << "frame " << frameNumber;
    nextFrame();
  }
}

}  // namespace
