// The chaos run's portable parts: sessions from the seed alone, scenarios
// that read, verdicts told apart by place, and shrinking against a verdict
// that needs three things at once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

#include "chaos/chaos_generator.h"
#include "chaos/chaos_options.h"
#include "chaos/chaos_random.h"
#include "chaos/chaos_scenario.h"
#include "chaos/chaos_shrink.h"
#include "chaos/chaos_verdict.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"

namespace {

using namespace standin::chaos;
using standin::ValueKind;

constexpr std::uint64_t kTarget = 0xA001, kDistance = 0xA002, kCount = 0xB001;

ChaosPlan planOfEveryKind() {
  ChaosPlan plan;
  plan.base.frames = 60;
  plan.base.head = {"fps 30"};
  plan.base.baseLines = {{"answer 0x99 int 5", 0}, {"key 40 0x41", 40}};
  const ValueKind kinds[] = {ValueKind::Int, ValueKind::Handle, ValueKind::Hash, ValueKind::Bool,
                             ValueKind::Float, ValueKind::Vector, ValueKind::Whole, ValueKind::Unknown};
  std::uint64_t hash = 0x100;
  for (ValueKind kind : kinds) {
    NativePlan native;
    native.hash = hash++;
    native.result = kind;
    plan.natives.push_back(native);
  }
  plan.natives.push_back({kTarget, ValueKind::Bool, false, {1}, {}});
  plan.natives.push_back({0x300, ValueKind::Unknown, true, {0, 2}, {}});  // out-variables only
  return plan;
}

float floatOf(std::uint64_t bits) {
  float value = 0;
  const auto low = static_cast<std::uint32_t>(bits);
  std::memcpy(&value, &low, sizeof value);
  return value;
}

TEST(ChaosGenerator, ASessionIsTheSeedAndItsIndexAlone) {
  EXPECT_EQ(ChaosRandom(1, 0).next(), ChaosRandom(1, 0).next());
  // Pinned: the same sessions with any compiler and standard library.
  EXPECT_EQ(ChaosRandom(42, 7).next(), 0xAB0B230F7FC48E9Au);
  const ChaosPlan plan = planOfEveryKind();
  const std::string fifth = generateSession(plan, 9, 5).text();
  for (std::uint64_t i = 0; i < 5; ++i) generateSession(plan, 9, i);
  EXPECT_EQ(generateSession(plan, 9, 5).text(), fifth);
  EXPECT_NE(generateSession(plan, 9, 6).text(), fifth);
  EXPECT_NE(generateSession(plan, 10, 5).text(), fifth);
}

TEST(ChaosGenerator, EverySessionReadsKeepsTheBaseAndIsStrict) {
  const ChaosPlan plan = planOfEveryKind();
  std::size_t keys = 0, reloads = 0, sequences = 0;
  for (std::uint64_t i = 0; i < 300; ++i) {
    const ChaosScenario session = generateSession(plan, 3, i);
    std::istringstream text(session.text());
    const standin::Scenario parsed = standin::parseScenario(text, "session " + std::to_string(i));
    EXPECT_TRUE(parsed.strict);
    EXPECT_EQ(parsed.fps, 30u);
    EXPECT_EQ(parsed.answers.find(1, 0x99, 0)->slots[0], 5u) << "the base's answer stands";
    keys += session.keys.size();
    reloads += session.reloads.size();
    for (const AnswerLine& line : session.answers) sequences += line.sequence.size() > 1;
  }
  EXPECT_GT(keys, 100u);
  EXPECT_GT(reloads, 50u);
  EXPECT_GT(sequences, 30u);
}

TEST(ChaosGenerator, EdgeValuesComeOftenForEachKind) {
  const ChaosPlan plan = planOfEveryKind();
  std::size_t ints = 0, zeros = 0, nans = 0, infinities = 0, negativeZeros = 0, denormals = 0, unwritten = 0, outs = 0;
  for (std::uint64_t i = 0; i < 1000; ++i) {
    for (const AnswerLine& line : generateSession(plan, 5, i).answers) {
      for (const ChaosAnswer& answer : line.sequence) {
        if (line.native == 0x100) ++ints, zeros += answer.value == 0;
        if (line.native == 0x104 && answer.result == ResultKind::Float) {
          const float value = floatOf(answer.value);
          nans += std::isnan(value);
          infinities += std::isinf(value);
          negativeZeros += answer.value == 0x80000000;
          denormals += std::fpclassify(value) == FP_SUBNORMAL;
        }
        if (line.native == 0x300) outs += answer.outs.size(), unwritten += 2 - answer.outs.size();
      }
    }
  }
  EXPECT_GT(zeros * 8, ints) << "0 is an int answer more than one time in eight";
  EXPECT_GT(nans, 20u);
  EXPECT_GT(infinities, 20u);
  EXPECT_GT(negativeZeros, 10u);
  EXPECT_GT(denormals, 10u);
  EXPECT_GT(unwritten * 5, outs) << "out-variables are left unwritten now and then";
}

// A fault that needs an F8 press, an out-variable written 0 and a negative
// distance, all by frame 20.
bool plantedFault(const ChaosScenario& s) {
  bool key = false, gone = false, negative = false;
  for (const KeyLine& k : s.keys) key = key || (k.code == 0x77 && !k.up && k.frame <= s.frames);
  for (const AnswerLine& line : s.answers)
    for (const ChaosAnswer& answer : line.sequence) {
      for (const ChaosAnswer::Out& out : answer.outs) gone = gone || (line.native == kTarget && out.value == 0);
      negative = negative || (line.native == kDistance && answer.result == ResultKind::Float && floatOf(answer.value) < 0);
    }
  return key && gone && negative && s.frames >= 20;
}

TEST(ChaosShrink, KeepsOnlyWhatTheVerdictNeedsWithTheSimplestValues) {
  ChaosPlan plan = planOfEveryKind();
  plan.natives.push_back({kDistance, ValueKind::Float, false, {}, {}});
  plan.natives.push_back({kCount, ValueKind::Int, false, {}, {}});
  ChaosScenario start = generateSession(plan, 1, 0);
  start.keys.push_back({3, 0x77, false, 30});
  AnswerLine target{kTarget, 5, 0, {ChaosAnswer{}, ChaosAnswer{}}};
  target.sequence[1].outs.push_back({1, 0, false});
  target.sequence[1].result = ResultKind::Int, target.sequence[1].value = 77;
  AnswerLine distance{kDistance, 0, 0, {ChaosAnswer{}}};
  distance.sequence[0].result = ResultKind::Float;
  distance.sequence[0].value = 0xC2F60000;  // -123
  start.answers.push_back(target);
  start.answers.push_back(distance);
  ASSERT_TRUE(plantedFault(start));

  std::size_t replays = 0;
  const FirstKeeping firstKeeping = [&](const std::vector<ChaosScenario>& candidates) {
    for (std::size_t i = 0; i < candidates.size(); ++i)
      if (++replays, plantedFault(candidates[i])) return i;
    return candidates.size();
  };
  const ChaosScenario shrunk = shrinkScenario(start, 45, firstKeeping, [] { return false; });
  EXPECT_EQ(shrunk.text(), "fps 30\nframes 20\nstrict\n"
                           "answer 0x000000000000A001 out 1 0\n"
                           "answer 0x000000000000A002 float -1\n"
                           "key 1 F8\n");
  EXPECT_LT(replays, 400u);
  EXPECT_EQ(shrinkScenario(start, 0, firstKeeping, [] { return true; }).text(), start.text())
      << "out of time: the finding as it was";
}

TEST(ChaosVerdict, FindingsAreToldApartByCodeAndPlace) {
  struct Case {
    int code;
    const char* errors;
    const char* place;
    const char* word;
  } cases[] = {
      {7, "standin: warning: x\nstandin: the plug-in crashed with exception 0xC0000005 (access violation, reading address "
          "0x0000000000000004) at planted.asi+0x1A2B while running its script; backtrace: planted.asi+0x1A2B planted.asi+0x99\n",
       "planted.asi+0x1A2B", "crash"},
      {6, "standin: the plug-in broke a host rule (strict) in frame 4: ARG-KIND: argument 1 of ammo in slot ...\n", "ARG-KIND",
       "ARG-KIND"},
      {6, "standin: plug-in made more than 10000 native calls without waiting\n", "calls-per-frame", "calls-per-frame"},
      {10, "standin: the plug-in aborted (abort(), or std::terminate as after an uncaught C++ exception) while in its "
           "keyboard handler; backtrace: My.asi+0x141F\n", "My.asi+0x141F", "abort"},
      {10, "standin: the plug-in let a C++ exception out that nothing caught (std::runtime_error: boom), thrown at "
           "My.asi+0x13B3 (raised in kernelbase.dll+0x13D7E) while running its script\n", "My.asi+0x13B3", "abort"},
      {5, "standin: the plug-in is stuck: no call to the host for 10000 ms while running its script\n",
       "while running its script", "stuck"},
      {11, "standin: the plug-in ended the process with exit value 3 (exit, ExitProcess or TerminateProcess) while x\n", "3",
       "exit"},
      {9, "standin: s.scn:7: expected a call of gore shot ...\n", "expectations", "expectations"},
  };
  for (const Case& c : cases) {
    const Verdict verdict = verdictOf(c.code, c.errors, "12 call 0x1\n13 stop \"why\"\n13 unload\n");
    EXPECT_EQ(verdict.place, c.place) << c.errors;
    EXPECT_EQ(verdict.word(), c.word) << c.errors;
    EXPECT_EQ(verdict.frame, 13u);
    EXPECT_EQ(verdict.message.rfind("warning", 0), std::string::npos);
  }
  EXPECT_FALSE(verdictOf(0, "", "").found());
}

}  // namespace

TEST(ChaosOptions, ReadsTheCommandAndRefusesWhatDoesNotRead) {
  struct Case {
    std::vector<const char*> words;
    const char* error;  // empty: read
  } cases[] = {
      {{"base.scn", "My.asi"}, ""},
      {{"base.scn", "My.asi", "--runs", "50", "--seed", "7", "-j", "3", "--out", "found", "--fresh"}, ""},
      {{"base.scn", "My.asi", "--seconds", "5"}, ""},
      {{"base.scn"}, "missing the base scenario or the plug-in"},
      {{"base.scn", "My.asi", "extra"}, "unexpected"},
      {{"base.scn", "My.asi", "--runs", "0"}, "--runs must be at least 1"},
      {{"base.scn", "My.asi", "-j", "0"}, "-j must be at least 1"},
      {{"base.scn", "My.asi", "--seconds", "5", "--runs", "3"}, "give --seconds or --runs, not both"},
      {{"base.scn", "My.asi", "--seed"}, "--seed needs a value"},
      {{"base.scn", "My.asi", "--runs", "many"}, "runs"},
      {{"base.scn", "My.asi", "--reuse"}, "unknown option"},
      {{"base.scn", "My.asi", "--blind"}, ""},
      {{"base.scn", "My.asi", "--corpus", "seeds", "--runs", "9"}, ""},
      {{"base.scn", "My.asi", "--corpus"}, "--corpus needs a value"},
      {{"base.scn", "My.asi", "--blind", "--corpus", "seeds"}, "give --blind or --corpus, not both"},
  };
  for (const Case& c : cases) {
    std::vector<char*> words;
    for (const char* word : c.words) words.push_back(const_cast<char*>(word));
    standin::chaos::ChaosOptions options;
    std::string error;
    const bool read = standin::chaos::readChaosOptions(static_cast<int>(words.size()), words.data(), options, error);
    EXPECT_EQ(read, std::string(c.error).empty()) << c.words.size() << " words: " << error;
    if (!read) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
  standin::chaos::ChaosOptions options;
  std::vector<char*> words;
  for (const char* word : {"b.scn", "P.asi", "--runs", "50", "--seed", "7", "-j", "3", "--fresh"})
    words.push_back(const_cast<char*>(word));
  std::string error;
  ASSERT_TRUE(standin::chaos::readChaosOptions(static_cast<int>(words.size()), words.data(), options, error));
  EXPECT_EQ(options.runs, 50u);
  EXPECT_EQ(options.seed, 7u);
  EXPECT_TRUE(options.seedGiven);
  EXPECT_EQ(options.jobs, 3u);
  EXPECT_FALSE(options.reuse);
}

// A finding's float answers read back to the very bits that made it.
TEST(ChaosScenario, FloatAnswersReadBackToTheirBits) {
  const std::uint32_t bits[] = {0x00000000, 0x80000000, 0x3F800000, 0xBF800000, 0x7F800000, 0xFF800000, 0x7FC00000,
                                0xFFC00001, 0x7F7FFFFF, 0x00000001, 0x807FFFFF, 0x00800000, 0x4B000001, 0x3DCCCCCD};
  std::mt19937 random(5);
  std::vector<std::uint32_t> all(std::begin(bits), std::end(bits));
  for (int i = 0; i < 20000; ++i) all.push_back(static_cast<std::uint32_t>(random()));
  for (std::uint32_t value : all) {
    const std::string text = standin::chaos::floatAnswerText(value);
    ASSERT_EQ(text.rfind("float ", 0), 0u) << text;
    EXPECT_EQ(standin::parseFloatBits(standin::Token{text.substr(6), false}, "float"), value) << text;
  }
}
