// The plug-in's life in the host, as the real DLL shows it under Wine:
// registration at load, the wait before start-up, the frame's first and
// last steps, and unregistration at unload. Only these are checked, so the
// tests hold whatever the features call in between.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace {

using standin::EventKind;
using standin::HostEvent;

constexpr std::uint64_t kPlayerCharacterNative = 0x096275889B8E0EE0;
constexpr std::uint64_t kFrames = e2e::kStartUpFrame + 5;

const e2e::Session& session() {
  static const e2e::Session played = e2e::play("frames " + std::to_string(kFrames) + "\n", {{"Harlowick/", ""}});
  return played;
}

bool isRefresh(const HostEvent& e) {
  return e.kind == EventKind::Call && e.hash == kPlayerCharacterNative && e.args.empty();
}

TEST(Lifecycle, SessionPlaysToTheEnd) {
  EXPECT_EQ(session().exitCode, 0) << session().output;
  EXPECT_NE(session().output.find(std::to_string(kFrames) + " frames played"), std::string::npos) << session().output;
}

TEST(Lifecycle, DllMainRegistersScriptThenKeyboardHandlerAtLoad) {
  const auto& trace = session().trace;
  ASSERT_GE(trace.size(), 4u) << session().traceText;
  EXPECT_EQ(trace[0].kind, EventKind::Load);
  EXPECT_EQ(trace[0].detail, "Vantomere.asi");
  EXPECT_EQ(trace[1].kind, EventKind::ScriptRegister);
  EXPECT_EQ(trace[1].detail, "self") << "registers its own module";
  EXPECT_EQ(trace[2].kind, EventKind::KeyboardRegister);
  for (const auto& e : trace) EXPECT_NE(e.kind, EventKind::Misuse) << e.detail;
}

TEST(Lifecycle, WaitsHalfASecondBeforeAnythingElse) {
  const auto& trace = session().trace;
  ASSERT_GE(trace.size(), 5u);
  EXPECT_EQ(trace[3].kind, EventKind::Wait);
  EXPECT_EQ(trace[3].waitMs, 500u);
  EXPECT_TRUE(isRefresh(trace[4])) << "start-up refreshes the player's character first";
  EXPECT_EQ(trace[4].frame, e2e::kStartUpFrame) << "the frames of the wait pass first";
}

TEST(Lifecycle, EveryFrameBeginsWithThePlayerCharacterRefresh) {
  for (std::uint64_t frame = e2e::kStartUpFrame + 1; frame <= kFrames; ++frame) {
    const auto events = session().frame(frame);
    ASSERT_FALSE(events.empty()) << "frame " << frame;
    EXPECT_TRUE(isRefresh(events.front())) << "frame " << frame;
  }
  // The start-up frame's work begins with the second refresh.
  std::size_t refreshes = 0;
  for (const auto& e : session().frame(e2e::kStartUpFrame)) refreshes += isRefresh(e) ? 1 : 0;
  EXPECT_GE(refreshes, 2u);
}

TEST(Lifecycle, EveryFrameFromStartUpOnEndsInExactlyOneWaitOfZero) {
  EXPECT_EQ(session().framesEnded(), kFrames - e2e::kStartUpFrame + 1);
  for (std::uint64_t frame = 2; frame < e2e::kStartUpFrame; ++frame)
    EXPECT_TRUE(session().frame(frame).empty()) << "frame " << frame << " passes while the script waits";
  for (std::uint64_t frame = e2e::kStartUpFrame; frame <= kFrames; ++frame) {
    const auto events = session().frame(frame);
    ASSERT_FALSE(events.empty()) << "frame " << frame;
    EXPECT_TRUE(e2e::isFrameEnd(events.back())) << "frame " << frame;
  }
}

TEST(Lifecycle, DllMainUnregistersScriptThenKeyboardHandlerAtUnload) {
  const auto events = session().frame(kFrames + 1);
  ASSERT_EQ(events.size(), 3u) << session().traceText;
  EXPECT_EQ(events[0].kind, EventKind::Unload);
  EXPECT_EQ(events[1].kind, EventKind::ScriptUnregister);
  EXPECT_EQ(events[1].detail, "self");
  EXPECT_EQ(events[2].kind, EventKind::KeyboardUnregister);
  EXPECT_EQ(events[2].detail, "registered") << "unregisters the handler it registered";
}

TEST(Lifecycle, KeyMessagesReachTheHandlerWithoutNativeCalls) {
  const auto played = e2e::play("frames 3\nkey 1 0x41\nkey 2 0x41 up\nkey 3 300\n");
  ASSERT_EQ(played.exitCode, 0) << played.output;
  std::size_t keys = 0;
  for (const auto& e : played.trace) {
    EXPECT_NE(e.kind, EventKind::Misuse) << e.detail;
    if (e.kind != EventKind::Key) continue;
    ++keys;
    EXPECT_TRUE(e.detail.empty()) << "the handler is registered from load on";
  }
  EXPECT_EQ(keys, 3u);
}

TEST(Lifecycle, SameScenarioSameTrace) {
  const auto again = e2e::play("frames " + std::to_string(kFrames) + "\n", {{"Harlowick/", ""}});
  EXPECT_EQ(again.traceText, session().traceText);
}

}  // namespace
