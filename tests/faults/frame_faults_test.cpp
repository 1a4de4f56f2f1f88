// Frames while memory runs out. A frame in play takes nothing from the heap;
// only the fault trap's report does. Whatever allocation fails, the frame
// ends with its wait, and the next frame with memory back reports in full.
#include <gtest/gtest.h>

#include "core/script_entry.h"
#include "fault_test_support.h"

namespace {

constexpr std::uint64_t kShowNotice = 0xDFF0D417277B41F8;

class FrameAllocationFaults : public AllocationFaultTest {
 protected:
  static void publishBadShakeSwitch() {
    publishSettingsStore({{kAlternativeCameraSwitch, "1"}, {kMeleeWeaponsGoreSwitch, "1"},
                          {kCameraShakeOnShotSwitch, "on"}});
  }
  static const Lines& faultLines() {
    static const Lines lines = {"Something wrong happened",
                                "Fatal: invalid stoi argument, check the logs for more info."};
    return lines;
  }
  // One frame with memory back: the fault is logged and shown in full.
  static void expectFullReportInNextFrame() {
    const Lines before = logged();
    const std::uint64_t frame = host().frame();
    runFrame();
    Lines expected = before;
    expected.insert(expected.end(), faultLines().begin(), faultLines().end());
    EXPECT_EQ(logged(), expected);
    EXPECT_TRUE(calls(callsOfFrame(frame), kShowNotice));
  }
};

TEST_F(FrameAllocationFaults, EveryStepActsWithNoMemoryAtAll) {
  publishSettingsStore(makeDefaultSettings());
  failing_allocator::failFrom(1);
  EXPECT_FALSE(escapedWhileArmed([] {
    for (int i = 0; i < 3; ++i) runFrame();
  }));
  EXPECT_EQ(failing_allocator::refused(), 0u);
  for (std::uint64_t frame = 1; frame <= 3; ++frame) {
    const auto hashes = callsOfFrame(frame);
    EXPECT_TRUE(calls(hashes, native::kCamera) && calls(hashes, native::kGoreShot) && calls(hashes, native::kShake))
        << "frame " << frame;
  }
}

TEST_F(FrameAllocationFaults, TrapReportLosesAtMostItsLinesWhenOneAllocationFails) {
  publishBadShakeSwitch();
  const std::size_t before = failing_allocator::count();
  runFrame();
  const std::size_t total = failing_allocator::count() - before;
  ASSERT_EQ(logged(), faultLines());
  ASSERT_GT(total, 0u);
  for (std::size_t nth = 1; nth <= total; ++nth) {
    std::filesystem::remove(kLogFilePath);
    const std::uint64_t frame = host().frame();
    failing_allocator::failOnly(nth);
    EXPECT_FALSE(escapedWhileArmed(runFrame)) << "allocation " << nth;
    const auto hashes = callsOfFrame(frame);
    EXPECT_TRUE(calls(hashes, native::kCamera) && calls(hashes, native::kGoreShot)) << "allocation " << nth;
    EXPECT_FALSE(calls(hashes, native::kShake)) << "allocation " << nth;
    // Out of memory for the fault's own description, the frame fails with the out-of-memory one.
    const Lines log = logged();
    EXPECT_TRUE(isSubsequence(log, faultLines()) || isSubsequence(log, kOutOfMemoryFaultLines))
        << "allocation " << nth << ": " << ::testing::PrintToString(log);
    expectFullReportInNextFrame();
  }
}

TEST_F(FrameAllocationFaults, FramesGoOnWhileMemoryIsExhaustedAndReportOnceItIsBack) {
  publishBadShakeSwitch();
  failing_allocator::failFrom(1);
  EXPECT_FALSE(escapedWhileArmed([] {
    for (int i = 0; i < 5; ++i) runFrame();
  }));
  EXPECT_GT(failing_allocator::refused(), 0u);
  for (std::uint64_t frame = 1; frame <= 5; ++frame) callsOfFrame(frame);
  EXPECT_TRUE(logged().empty());
  expectFullReportInNextFrame();
}

}  // namespace
