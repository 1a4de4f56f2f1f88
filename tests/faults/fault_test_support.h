#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/log_file.h"
#include "config/settings_store.h"
#include "config_test_support.h"
#include "features/player_character.h"
#include "failing_allocator.h"
#include "feature_natives.h"
#include "features/alternative_camera.h"
#include "host_test_support.h"
#include "names/names_generator.h"

using Lines = std::vector<std::string>;

// What the fault trap logs for an exhausted memory.
inline const Lines kOutOfMemoryFaultLines = {"Something wrong happened",
                                             "Fatal: std::bad_alloc, check the logs for more info."};

// Whether `part` is `whole` with some lines left out, the rest in order.
inline bool isSubsequence(const Lines& part, const Lines& whole) {
  auto at = whole.begin();
  for (const auto& line : part) {
    at = std::find(at, whole.end(), line);
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

// Runs `work` while allocations are refused as armed, and gives memory back
// before any check can need it. True when an exception left `work`.
template <typename Work>
bool escapedWhileArmed(Work&& work) {
  bool escaped = false;
  try {
    work();
  } catch (...) {
    escaped = true;
  }
  failing_allocator::restore();
  return escaped;
}

// The plug-in as it is just after loading, in a game folder with a log
// folder, where the game lets every feature act. The real log file is used:
// its allocations are the plug-in's too.
class AllocationFaultTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    std::filesystem::create_directory("Harlowick");
    freshPlugin();
  }
  void TearDown() override {
    failing_allocator::restore();
    freshPlugin();
  }

  static void freshPlugin() {
    host().reset();
    answerEveryStep();
    NameMap.clear();
    publishSettingsStore(SettingsMap{});
    alternativeCameraOn = true;
    playerCharacter = 0;
    std::filesystem::remove(kLogFilePath);
  }

  static void answerEveryStep() {
    auto& book = host().answers();
    book.setDefault(native::kPlayerCharacter, standin::Answer::ofInt(1001));
    book.setDefault(native::kAimGate, standin::Answer::ofInt(1));
    book.setDefault(native::kWeapon, standin::Answer::ofOut(1, 0x28950C71));
    book.setDefault(native::kAimCharacter, standin::Answer::ofInt(1));
    book.setDefault(native::kTarget, standin::Answer::ofInt(2002));
    book.setDefault(native::kTargetTest1, standin::Answer::ofInt(1));
    book.setDefault(native::kTargetTest2, standin::Answer::ofInt(1));
    book.setDefault(native::kBone, standin::Answer::ofOut(1, 21030));
    book.setDefault(native::kShakeWeapon, standin::Answer::ofInt(1));
    book.setDefault(native::kFiring, standin::Answer::ofInt(1));
  }

  static Lines logged() { return messagesOfLogText(readFile(kLogFilePath)); }

  // The calls of one frame, which must end in its wait of 0 ms.
  static std::vector<std::uint64_t> callsOfFrame(std::uint64_t frame) {
    std::vector<std::uint64_t> hashes;
    const standin::HostEvent* last = nullptr;
    for (const auto& event : host().events()) {
      if (event.frame != frame) continue;
      last = &event;
      if (event.kind == standin::EventKind::Call) hashes.push_back(event.hash);
    }
    EXPECT_TRUE(last && last->kind == standin::EventKind::Wait && last->waitMs == 0) << "frame " << frame;
    return hashes;
  }

  static bool calls(const std::vector<std::uint64_t>& hashes, std::uint64_t hash) {
    return std::find(hashes.begin(), hashes.end(), hash) != hashes.end();
  }

  ScopedWorkingFolder folder_;
};
