// Answers that follow game time, out-variables of every width, and
// expectations on the plug-in's debug output: parsed, played by the host,
// written to traces and read back.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "chaos/chaos_generator.h"
#include "checks/expectations.h"
#include "host_test_support.h"
#include "base/native_names.h"
#include "scenario/scenario.h"
#include "trace/scenario_from_trace.h"
#include "trace/short_view.h"
#include "trace/trace.h"

namespace {

using standin::Answer;

standin::Scenario parse(const std::string& text) {
  std::istringstream in(text);
  return standin::parseScenario(in, "s.scn");
}

std::string errorOf(const std::string& text) {
  try {
    parse(text);
  } catch (const standin::ScenarioError& error) {
    return error.what();
  }
  return "(accepted)";
}

std::uint64_t slotAt(const standin::Scenario& s, std::uint64_t frame, std::uint64_t native) {
  const Answer* answer = s.answers.find(frame, native, 0);
  return answer->timed() ? answer->timedSlot(frame, s.answers.clock()) : answer->slots[0];
}

std::uint32_t bitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(TimedAnswers, FollowTheGameTimeOfEachFrame) {
  const standin::Scenario s = parse(
      "fps 30\nframes 200\n"
      "answer 0x1 int game-ms\nanswer 0x2 int game-ms +5\nanswer 0x3 int game-ms -5\n"
      "answer 0x4 float game-s +0.5\nanswer 0x5 frames 3- int 10 step -2\nanswer 0x6 int 7 step 3\n");
  const struct {
    std::uint64_t native, frame, slot;
  } cases[] = {
      {0x1, 1, 0}, {0x1, 2, 33}, {0x1, 4, 100}, {0x1, 31, 1000},  // (F-1)*1000/fps, rounded down
      {0x2, 2, 38}, {0x3, 1, 0xFFFFFFFB},                          // wraps at 32 bits, as a game timer does
      {0x4, 31, bitsOf(1.5f)}, {0x4, 1, bitsOf(0.5f)},
      {0x5, 3, 10}, {0x5, 5, 6}, {0x5, 10, 0xFFFFFFFC},            // from the line's first frame
      {0x6, 1, 7}, {0x6, 3, 13},                                   // no frames: from frame 1
  };
  for (const auto& c : cases)
    EXPECT_EQ(slotAt(s, c.frame, c.native), c.slot) << std::hex << c.native << " in frame " << std::dec << c.frame;
}

TEST(TimedAnswers, RefuseWhatDoesNotRead) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"answer 0x1 int game-ms +x", "s.scn:1: bad game-ms offset 'x'"},
      {"answer 0x1 int game-ms +-5", "s.scn:1: bad offset '+-5'"},
      {"answer 0x1 float game-s +inf", "s.scn:1: bad game-s offset 'inf'"},
      {"answer 0x1 int 5 step", "s.scn:1: missing value added each frame after 'step'"},
      {"answer 0x1 when 0=0 frames 70-99 int 1", "s.scn:1: 'frames' after the answer: write 'frames' right after the native"},
  };
  for (const auto& c : cases) EXPECT_EQ(errorOf(c.line).rfind(c.message, 0), 0u) << errorOf(c.line);
}

class TimedHost : public HostTest {};

TEST_F(TimedHost, AnswersEveryCallOfAFrameAlikeAndTracesTheValue) {
  const standin::Scenario s = parse("fps 60\nanswer 0x1 int game-ms +1\n");
  host().take(s);
  host().enterFrame(4, 50);
  for (int i = 0; i < 2; ++i) {
    host().nativeInit(0x1);
    EXPECT_EQ(host().nativeCall()[0], 51u);
  }
  EXPECT_EQ(host().calls().at(1).results[0], 51u);
}

standin::HostEvent callIn(std::uint64_t frame, std::uint64_t native, std::uint64_t result) {
  standin::HostEvent event;
  event.frame = frame;
  event.hash = native;
  event.results[0] = result;
  return event;
}

TEST(TimedAnswers, ShortViewMergesFramesThatDifferOnlyInThem) {
  const standin::Scenario s = parse("answer 0x1 int game-ms\n");
  std::vector<standin::HostEvent> events;
  for (std::uint64_t frame = 1; frame <= 3; ++frame) {
    events.push_back(callIn(frame, 0x1, (frame - 1) * 1000 / 60));
    events.push_back(callIn(frame, 0x2, frame == 3 ? 9 : 0));  // another native changes in frame 3
  }
  const auto merged = standin::shortView(events, standin::GameClock(60), &s.answers);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_NE(merged[1].find("1-2"), std::string::npos) << merged[1];
  EXPECT_NE(merged[2].find("-> 0x9"), std::string::npos) << merged[2];
  EXPECT_EQ(standin::shortView(events, standin::GameClock(60)).size(), 4u) << "without the scenario, no merging";
}

TEST(OutKinds, ParseByKindOrAsTheNamesFileDeclares) {
  standin::forgetNativeNames();
  standin::declareSignature(0x7, {{standin::ValueKind::OutFloat, standin::ValueKind::OutVector, standin::ValueKind::OutWhole},
                                  {standin::ValueKind::OutFloat, standin::ValueKind::OutVector, standin::ValueKind::OutWhole},
                                  standin::ValueKind::Unknown, "(out-float, out-vector, out-whole)"});
  const standin::Scenario s = parse("answer 0x7 out 0 10 out 1 1 2 3 out 2 0x100000000\n"
                                    "answer 0x8 out 0 float 2.5 out 1 vector 0 -1 0x7FC00001 out 2 whole -1\n");
  const Answer* declared = s.answers.find(1, 0x7, 0);
  ASSERT_EQ(declared->outWrites.size(), 1u);
  EXPECT_EQ(declared->outWrites[0].second, bitsOf(10.0f)) << "a bare 10 of an out-float is 10.0";
  ASSERT_EQ(declared->wideOutWrites.size(), 2u);
  EXPECT_EQ(declared->wideOutWrites[0].count, 3u);
  EXPECT_EQ(declared->wideOutWrites[0].slots[2], bitsOf(3.0f));
  EXPECT_EQ(declared->wideOutWrites[1].slots[0], 0x100000000u);
  const Answer* told = s.answers.find(1, 0x8, 0);
  EXPECT_EQ(told->outWrites[0].second, bitsOf(2.5f));
  EXPECT_EQ(told->wideOutWrites[0].slots[2], 0x7FC00001u) << "a NaN keeps its bits";
  EXPECT_EQ(told->wideOutWrites[1].slots[0], ~0ull);
  EXPECT_NE(errorOf("answer 0x7 out 0 vector 1 2 3").find("writes 24 bytes through argument 0 of 0x0000000000000007, "
                                                           "declared out-float (4 bytes)"),
            std::string::npos);
  EXPECT_NE(errorOf("answer 0x7 out 2 vector 1 2 3").find("declared out-whole (8 bytes)"), std::string::npos);
  standin::forgetNativeNames();
}

class OutKindsHost : public HostTest {};

TEST_F(OutKindsHost, WritesTheWholeWidthOrNothing) {
  const standin::Scenario s = parse("answer 0x9 out 0 vector 1 2 3 out 1 whole 0x1122334455667788\n");
  host().take(s);
  std::uint64_t vector[3] = {~0ull, ~0ull, ~0ull}, whole = 0;
  std::size_t asked = 0;
  static std::size_t* widest = nullptr;
  widest = &asked;
  host().pluginWritable = [](const void*, std::size_t size) {
    if (size > *widest) *widest = size;
    return true;
  };
  host().nativeInit(0x9);
  host().nativePush64(reinterpret_cast<std::uintptr_t>(vector));
  host().nativePush64(reinterpret_cast<std::uintptr_t>(&whole));
  host().nativeCall();
  EXPECT_EQ(asked, 24u) << "the writable check covers all 24 bytes";
  EXPECT_EQ(vector[0], bitsOf(1.0f)) << "the upper half of each slot is 0";
  EXPECT_EQ(vector[2], bitsOf(3.0f));
  EXPECT_EQ(whole, 0x1122334455667788u);

  host().reset();
  host().take(s);
  host().pluginWritable = [](const void*, std::size_t size) { return size <= 8; };
  std::uint64_t untouched[3] = {5, 5, 5};
  host().nativeInit(0x9);
  host().nativePush64(reinterpret_cast<std::uintptr_t>(untouched));
  host().nativePush64(reinterpret_cast<std::uintptr_t>(&whole));
  host().nativeCall();
  host().pluginWritable = nullptr;
  EXPECT_EQ(untouched[0], 5u) << "a vector whose last bytes are not the plug-in's is not written at all";
  std::string misuses;
  for (const auto& event : host().events())
    if (event.kind == standin::EventKind::Misuse) misuses += event.detail;
  EXPECT_NE(misuses.find("OUT-NOT-WRITABLE"), std::string::npos) << misuses;

  // The trace keeps both widths and reads them back.
  std::ostringstream trace;
  standin::TraceWriter(trace, nullptr).writeAll(host().events());
  EXPECT_NE(trace.str().find("&0x3F800000,0x40000000,0x40400000 &0x1122334455667788"), std::string::npos) << trace.str();
  std::istringstream in(trace.str());
  std::ostringstream again;
  standin::TraceWriter(again, nullptr).writeAll(standin::readTrace(in));
  EXPECT_EQ(again.str(), trace.str());
}

TEST(OutKinds, ReplaysAnswerAndExpectThemAtTheirWidth) {
  std::istringstream trace(
      "1 load \"P.asi\"\n"
      "1 call 0x0000000000000009 &0x3F800000,0x40000000,0x40400000 &0x1122334455667788 &0x00000005\n"
      "1 wait 0\n2 unload\n");
  const std::string replay = standin::scenarioFromTrace(standin::readTrace(trace));
  EXPECT_NE(replay.find("out 2 5 out 0 vector 1 2 3 out 1 whole 0x1122334455667788"), std::string::npos) << replay;
  // Expectations read &X,Y,Z and 64-bit values as the trace writes them.
  const standin::Scenario s = parse("expect call 0x9 frame 1 &1,2,3 &0x1122334455667788 &5\n");
  ASSERT_EQ(s.expectations.size(), 1u);
  EXPECT_EQ(s.expectations[0].arguments,
            (std::vector<std::string>{"&0x3F800000,0x40000000,0x40400000", "&0x1122334455667788", "&0x00000005"}));
  EXPECT_NE(errorOf("expect call 0x9 frame 1 &1,2"), "(accepted)");
}

standin::HostEvent debugIn(std::uint64_t frame, const std::string& text) {
  standin::HostEvent event;
  event.kind = standin::EventKind::Debug;
  event.frame = frame;
  event.detail = text;
  return event;
}

TEST(DebugExpectations, MatchTheOutputOfTheirFrames) {
  const standin::Scenario s = parse(
      "frames 10\n"
      "expect debug \"tick *\"\n"
      "expect debug \"tick 3\" frames 1-2\n"
      "expect no-debug \"error*\"\n"
      "expect no-debug \"tick*\" frames 5-\n"
      "expect debug started frame 1\n");
  standin::ExpectationCheck check(s.expectations, "s.scn");
  for (const auto& event : {debugIn(1, "started"), debugIn(2, "tick 2"), debugIn(3, "tick 3"), debugIn(6, "tick 6")})
    check.see(event);
  const std::vector<std::string> failures = check.failures();
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0], "s.scn:3: expected debug output \"tick 3\" in frames 1-2, but no line of it matches (the first: "
                         "\"started\")");
  EXPECT_EQ(failures[1], "s.scn:5: expected no debug output \"tick*\" from frame 5 on, got 1 (in frame 6; the first: "
                         "\"tick 6\")");
  EXPECT_EQ(check.metCount(), 3u);
}

}  // namespace

namespace {

TEST(OutKinds, ChaosAnswersADeclaredVariableByItsKindAndTheSessionReads) {
  standin::forgetNativeNames();
  standin::NativeSignature signature{{standin::ValueKind::OutFloat, standin::ValueKind::OutVector, standin::ValueKind::OutWhole},
                                     {standin::ValueKind::OutFloat, standin::ValueKind::OutVector, standin::ValueKind::OutWhole},
                                     standin::ValueKind::Unknown, "(out-float, out-vector, out-whole)"};
  standin::declareSignature(0x7, signature);
  standin::chaos::ChaosPlan plan;
  plan.base.frames = 20;
  plan.natives.push_back(standin::chaos::planFor(0x7, &signature, {}));
  std::string kinds;
  for (std::uint64_t i = 0; i < 200; ++i) {
    const std::string text = standin::chaos::generateSession(plan, 5, i).text();
    for (const char* kind : {"out 0 float ", "out 1 vector ", "out 2 whole "})
      if (text.find(kind) != std::string::npos && kinds.find(kind) == std::string::npos) kinds += kind;
    std::istringstream in(text);
    EXPECT_NO_THROW(standin::parseScenario(in, "session")) << text;
  }
  EXPECT_EQ(kinds.size(), std::string("out 0 float out 1 vector out 2 whole ").size()) << kinds;
  standin::forgetNativeNames();
}

}  // namespace
