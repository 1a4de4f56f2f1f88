#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "config_test_support.h"
#include "core/script_entry.h"
#include "fault_trap_test_support.h"

namespace {

using Lines = std::vector<std::string>;
using standin::Answer;

// The first native each feature step makes when it runs, with the answers
// scripted below: the aim gate test, the melee target query (the player
// holds the first melee weapon), and the shake's weapon test.
constexpr std::uint64_t kCameraStepMark = 0x936F967D4BE1CE9D;
constexpr std::uint64_t kMeleeStepMark = 0x18A3E9EE1297FD39;
constexpr std::uint64_t kShakeStepMark = 0x705BE297EEBDB95D;
constexpr std::uint64_t kCurrentWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint32_t kFirstMeleeWeapon = 0x28950C71;

class FrameTrapTest : public FaultTrapTest {
 protected:
  void SetUp() override {
    FaultTrapTest::SetUp();
    host().answers().setDefault(kCurrentWeapon, Answer::ofOut(1, kFirstMeleeWeapon));
  }

  static std::vector<bool> stepsRunIn(std::uint64_t frame) {
    std::vector<bool> ran(3, false);
    for (const auto& call : host().calls()) {
      if (call.frame != frame) continue;
      ran[0] = ran[0] || call.hash == kCameraStepMark;
      ran[1] = ran[1] || call.hash == kMeleeStepMark;
      ran[2] = ran[2] || call.hash == kShakeStepMark;
    }
    return ran;
  }
};

TEST_F(FrameTrapTest, ABadSwitchEndsTheFramesFeatureWorkEveryFrameAndTheLoopGoesOn) {
  const struct {
    const char* badSwitch;
    std::vector<bool> steps;
  } cases[] = {
      {"AlternativeCamera", {false, false, false}},
      {"MeleeWeaponsGore", {true, false, false}},
      {"CameraShakeOnShot", {true, true, false}},
  };
  for (const auto& c : cases) {
    SetUp();
    log_.text.clear();
    SettingsMap store = makeDefaultSettings();
    store[c.badSwitch] = "on";
    publishSettingsStore(store);

    for (int i = 0; i < 3; ++i) runFrame();

    for (std::uint64_t frame = 1; frame <= 3; ++frame) {
      EXPECT_EQ(stepsRunIn(frame), c.steps) << c.badSwitch << " frame " << frame;
      expectNotice(frame, faultMessage("invalid stoi argument"));
    }
    Lines expected;
    for (int i = 0; i < 3; ++i) {
      expected.push_back("Something wrong happened");
      expected.push_back(faultMessage("invalid stoi argument"));
    }
    EXPECT_EQ(log_.messages(), expected) << c.badSwitch;
    EXPECT_EQ(waits(), (std::vector<std::uint32_t>{0, 0, 0}));

    // Nothing was switched off by the trap: with good texts every step runs again.
    publishSettingsStore(makeDefaultSettings());
    runFrame();
    EXPECT_EQ(stepsRunIn(4), (std::vector<bool>{true, true, true})) << c.badSwitch;
    EXPECT_EQ(log_.messages().size(), 6u);
  }
}

TEST_F(FrameTrapTest, NumberTooLargeIsReportedWithItsOwnDescription) {
  publishSettingsStore({{"AlternativeCamera", "1"}, {"MeleeWeaponsGore", "99999999999"}});
  runFrame();
  EXPECT_EQ(stepsRunIn(1), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(log_.messages(), (Lines{"Something wrong happened", faultMessage("stoi argument out of range")}));
  expectNotice(1, faultMessage("stoi argument out of range"));
}

}  // namespace
