// The host calls the keyboard handler from the game's window thread while the
// script runs its frames on another. The handler touches only the key state
// table and the frames never do, so the two need no lock: under
// ThreadSanitizer this test shows that no shared state has crept in.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "config/settings_store.h"
#include "config_test_support.h"
#include "core/key_state.h"
#include "core/library_entry.h"
#include "core/script_entry.h"
#include "feature_natives.h"
#include "host_test_support.h"

namespace {

using standin::Answer;

constexpr std::uint32_t kMessages = 50000;
constexpr std::uint32_t kCodesCycled = 256;  // 255 itself is no key and is ignored
constexpr std::uint64_t kLeastFrames = 200;

HostModule fakeModule() { return reinterpret_cast<HostModule>(0x180000000ull); }

// Every feature acts in every frame, and a bad switch makes the trap log and
// show its notice, so the frames touch all the plug-in's process-wide state.
void answerEveryStep(standin::AnswerBook& book) {
  book.setDefault(native::kPlayerCharacter, Answer::ofInt(1001));
  book.setDefault(native::kAimGate, Answer::ofInt(1));
  book.setDefault(native::kWeapon, Answer::ofOut(1, 0x28950C71));
  book.setDefault(native::kAimCharacter, Answer::ofInt(1));
  book.setDefault(native::kTarget, Answer::ofInt(2002));
  book.setDefault(native::kTargetTest1, Answer::ofInt(1));
  book.setDefault(native::kTargetTest2, Answer::ofInt(1));
  book.setDefault(native::kBone, Answer::ofOut(1, 21030));
  book.setDefault(native::kShakeWeapon, Answer::ofInt(1));
  book.setDefault(native::kFiring, Answer::ofInt(1));
}

std::int32_t fifthOf(std::uint32_t i) { return static_cast<std::int32_t>(i); }
std::int32_t sixthOf(std::uint32_t i) { return -static_cast<std::int32_t>(i); }
std::int32_t seventhOf(std::uint32_t i) { return static_cast<std::int32_t>(i ^ 0x5A5Au); }

class KeyboardDuringFrames : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    KeyStateTable.fill(KeyState{});
  }
  void TearDown() override { publishSettingsStore(SettingsMap{}); }

  ScopedWorkingFolder folder_;
  RecordingLogSink log_;
};

TEST_F(KeyboardDuringFrames, HandlerOnAnotherThreadWhileFramesRun) {
  handleLibraryNotification(fakeModule(), kProcessAttach);
  const auto handler = host().registeredKeyboardHandler();
  ASSERT_NE(handler, nullptr);
  answerEveryStep(host().answers());
  startUp();
  publishSettingsStore({{kAlternativeCameraSwitch, "1"}, {kMeleeWeaponsGoreSwitch, "1"},
                        {kCameraShakeOnShotSwitch, "yes"}});
  host().setRecording(false);

  std::atomic<bool> framesStarted{false};
  std::atomic<bool> keysDone{false};
  std::thread window([&] {
    while (!framesStarted.load()) std::this_thread::yield();
    for (std::uint32_t i = 0; i < kMessages; ++i)
      handler(i % kCodesCycled, 1, 0, 0, fifthOf(i), sixthOf(i), seventhOf(i));
    keysDone = true;
  });
  std::uint64_t frames = 0;
  while (frames < kLeastFrames || !keysDone.load()) {
    runFrame();
    ++frames;
    framesStarted = true;
  }
  window.join();
  host().setRecording(true);

  for (std::uint32_t code = 0; code < kKeyCodeBound; ++code) {
    std::uint32_t last = kMessages - 1;
    while (last % kCodesCycled != code) --last;
    const KeyState& entry = KeyStateTable[code];
    EXPECT_EQ(entry.fifthArgument, fifthOf(last)) << code;
    EXPECT_EQ(entry.sixthArgument, sixthOf(last)) << code;
    EXPECT_EQ(entry.seventhArgument, seventhOf(last)) << code;
  }
  EXPECT_EQ(host().frame(), frames + 1);
  EXPECT_EQ(log_.messages().size(), 3 + 2 * frames) << "start-up's lines, then the fault's two in every frame";
  host().beginUnload();
  handleLibraryNotification(fakeModule(), kProcessDetach);
  EXPECT_EQ(host().registeredKeyboardHandler(), nullptr);
  EXPECT_EQ(standin::ruleWarnings(host().ruleTallies()), std::vector<std::string>{});
}

}  // namespace
