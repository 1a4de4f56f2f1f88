// Start-up with memory running out at each of its allocations in turn. An
// exhausted memory is the one thing that can make start-up fail; whatever it
// hits, start-up must come back, leave the switches with values the player
// could have set, and the frames must work once memory is back.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/script_entry.h"
#include "fault_test_support.h"

namespace {

constexpr char kSettingsFile[] = "MeleeWeaponsGore=0\nbad line\nCameraShakeOnShot=2\n";
const Lines kStartUpLog = {
    "loading settings file: Vantomere.ini",
    "cannot parse line: bad line, please make sure it is assembled of the correct format "
    "(<setting_name>=<settings_value>).",
    "settings file loaded", "NamesGenerator: initializing", "NamesGenerator: initialized. 461 string."};

class StartUpAllocationFaults : public AllocationFaultTest {
 protected:
  void SetUp() override {
    AllocationFaultTest::SetUp();
    writeFile("Vantomere.ini", kSettingsFile);
  }

  static std::size_t allocationsOfStartUp() {
    freshPlugin();
    const std::size_t before = failing_allocator::count();
    startUp();
    return failing_allocator::count() - before;
  }

  // Each switch holds its default or what the file gives it, nothing else.
  static void expectSwitchesAsThePlayerCouldHaveSet(std::size_t nth) {
    const SettingsMap& store = settingsStore();
    ASSERT_EQ(store.size(), 3u) << "allocation " << nth;
    EXPECT_EQ(store.at(kAlternativeCameraSwitch), "1") << "allocation " << nth;
    EXPECT_TRUE(store.at(kMeleeWeaponsGoreSwitch) == "1" || store.at(kMeleeWeaponsGoreSwitch) == "0")
        << "allocation " << nth;
    EXPECT_TRUE(store.at(kCameraShakeOnShotSwitch) == "1" || store.at(kCameraShakeOnShotSwitch) == "2")
        << "allocation " << nth;
  }

  // Start-up's own lines, some perhaps lost, and the trap's report when it was cut short.
  static bool endedInTheTrap(const Lines& log, std::size_t nth) {
    const bool trapped = log.size() >= 2 && Lines(log.end() - 2, log.end()) == kOutOfMemoryFaultLines;
    const Lines own = trapped ? Lines(log.begin(), log.end() - 2) : log;
    EXPECT_TRUE(isSubsequence(own, kStartUpLog)) << "allocation " << nth;
    return trapped;
  }

  // Two frames with memory back: every switch that reads on acts, and no fault.
  static void expectFramesRecover(std::size_t nth) {
    const std::size_t logLines = logged().size();
    const std::uint64_t first = host().frame();
    runFrame();
    runFrame();
    for (std::uint64_t frame = first; frame < first + 2; ++frame) {
      const auto hashes = callsOfFrame(frame);
      EXPECT_EQ(calls(hashes, native::kCamera), isSettingOn(kAlternativeCameraSwitch)) << "allocation " << nth;
      EXPECT_EQ(calls(hashes, native::kGoreShot), isSettingOn(kMeleeWeaponsGoreSwitch)) << "allocation " << nth;
      EXPECT_EQ(calls(hashes, native::kShake), isSettingOn(kCameraShakeOnShotSwitch)) << "allocation " << nth;
    }
    EXPECT_EQ(logged().size(), logLines) << "allocation " << nth;
  }
};

TEST_F(StartUpAllocationFaults, OneAllocationFailsInTurn) {
  const std::size_t total = allocationsOfStartUp();
  ASSERT_EQ(logged(), kStartUpLog);
  ASSERT_GT(total, 461u) << "the name map alone takes one per name";
  std::size_t trapped = 0, linesLost = 0;
  for (std::size_t nth = 1; nth <= total; ++nth) {
    freshPlugin();
    failing_allocator::failOnly(nth);
    EXPECT_FALSE(escapedWhileArmed(startUp)) << "allocation " << nth;
    const Lines log = logged();
    if (endedInTheTrap(log, nth)) {
      ++trapped;
    } else if (log != kStartUpLog) {
      ++linesLost;
    }
    expectSwitchesAsThePlayerCouldHaveSet(nth);
    expectFramesRecover(nth);
  }
  std::printf("start-up: %zu allocations; a failure at %zu of them cut it short, at %zu it cost log lines only\n",
              total, trapped, linesLost);
  EXPECT_GT(trapped, 0u);
}

// The memory stays exhausted from one allocation to the end of start-up: the
// switches are the defaults when even those could not be stored.
TEST_F(StartUpAllocationFaults, MemoryExhaustedFromEachAllocationOn) {
  const std::size_t total = allocationsOfStartUp();
  std::size_t inert = 0;
  for (std::size_t nth = 1; nth <= total + 1; ++nth) {
    freshPlugin();
    failing_allocator::failFrom(nth);
    EXPECT_FALSE(escapedWhileArmed(startUp)) << "allocation " << nth;
    endedInTheTrap(logged(), nth);
    if (settingsStore().empty()) {
      ++inert;
    } else {
      expectSwitchesAsThePlayerCouldHaveSet(nth);
    }
    expectFramesRecover(nth);
  }
  std::printf("start-up out of memory: with no memory from %zu of %zu allocations on, no switch could be stored\n",
              inert, total + 1);
}

}  // namespace
