#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "allocation_counter.h"
#include "features/player_character.h"
#include "core/script_entry.h"
#include "fault_free_frames.h"
#include "host_test_support.h"

namespace {

constexpr int kFrames = 200;
constexpr std::uint32_t kGoreWaitsPerFrameMs = 80 + 80;

// A frame in play takes nothing from the heap: a game that runs for hours
// calls it millions of times, and an allocator's pause is a frame's stutter.
class FaultFreeFrameTest : public HostTest {
 protected:
  void TearDown() override {
    host().reset();
    publishSettingsStore(SettingsMap{});
    alternativeCameraOn = true;
    playerCharacter = 0;
  }

  // One frame as the stand-in recorded it, so a scene is seen to take its road.
  static std::vector<std::uint64_t> hashesOfOneFrame() {
    const std::size_t already = host().calls().size();
    runFrame();
    const std::vector<std::uint64_t> all = callHashes();
    return std::vector<std::uint64_t>(all.begin() + static_cast<std::ptrdiff_t>(already), all.end());
  }
  static bool asks(const std::vector<std::uint64_t>& hashes, std::uint64_t hash) {
    return std::find(hashes.begin(), hashes.end(), hash) != hashes.end();
  }

  // With the stand-in no longer recording, as a game host keeps no record.
  static std::size_t allocationsOfFrames() {
    host().setRecording(false);
    const std::size_t before = allocationCount();
    for (int i = 0; i < kFrames; ++i) runFrame();
    return allocationCount() - before;
  }
};

TEST_F(FaultFreeFrameTest, IdleFrameAllocatesNothing) {
  fault_free::answerIdleFrame();
  const auto hashes = hashesOfOneFrame();
  ASSERT_EQ(hashes.size(), 6u) << "every step stops at its first test";
  EXPECT_EQ(allocationsOfFrames(), 0u);
}

TEST_F(FaultFreeFrameTest, BusyFrameAllocatesNothing) {
  fault_free::answerBusyFrame();
  const auto hashes = hashesOfOneFrame();
  ASSERT_TRUE(asks(hashes, native::kCamera) && asks(hashes, native::kGoreShot) && asks(hashes, native::kShake))
      << "all three steps act";
  const std::uint64_t timeBefore = host().gameTimeMs();
  EXPECT_EQ(allocationsOfFrames(), 0u);
  // The gore step waits only when the weapon and the bone, written through
  // the plug-in's variables, reached it: answers flow with recording off too.
  EXPECT_EQ(host().gameTimeMs() - timeBefore, std::uint64_t{kFrames} * kGoreWaitsPerFrameMs);
  EXPECT_TRUE(alternativeCameraOn);
}

}  // namespace
