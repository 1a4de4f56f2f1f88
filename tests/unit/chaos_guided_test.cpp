// A guided chaos run's portable parts, from made-up traces: what a session's
// events show, which sessions become seeds, merges that are the same in any
// order of play, seeds read back from their files, and mutations.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>

#include "chaos/chaos_corpus.h"
#include "chaos/chaos_feedback.h"
#include "chaos/chaos_mutation.h"
#include "chaos/chaos_seed_text.h"
#include "base/native_names.h"
#include "scenario/scenario.h"

namespace {

using namespace standin::chaos;
using standin::EventKind;
using standin::HostEvent;
using standin::ValueKind;

constexpr std::uint64_t kA = 0xAA01, kB = 0xAA02, kArgs = 0xAA03;

HostEvent call(std::uint64_t frame, std::uint64_t hash, std::vector<std::uint64_t> args = {}) {
  HostEvent event;
  event.frame = frame;
  event.hash = hash;
  event.args = std::move(args);
  return event;
}

HostEvent other(std::uint64_t frame, EventKind kind, std::string detail = "") {
  HostEvent event;
  event.kind = kind;
  event.frame = frame;
  event.detail = std::move(detail);
  return event;
}

bool has(const Features& features, const std::string& feature) { return features.count(feature) != 0; }

std::string name(std::uint64_t hash) { return nativeText(hash); }

TEST(ChaosFeedback, FeaturesOfMadeUpTraces) {
  standin::NativeSignature signature;
  signature.slots = {ValueKind::Int, ValueKind::Float, ValueKind::Handle, ValueKind::Out};
  standin::declareSignature(kArgs, signature);
  const struct Case {
    const char* what;
    std::vector<HostEvent> events;
    std::vector<std::string> present, absent;
  } cases[] = {
      {"a pair within a frame, none across frames",
       {call(1, kA), call(1, kB), call(2, kA)},
       {"calls " + name(kA), "calls " + name(kB), "calls " + name(kA) + " then " + name(kB)},
       {"calls " + name(kB) + " then " + name(kA)}},
      {"a debug line between two calls leaves them adjacent",
       {call(1, kB), other(1, EventKind::Debug, "x"), call(1, kA)},
       {"calls " + name(kB) + " then " + name(kA)}, {}},
      {"count classes: 3 and 4 are one, 5 is the next",
       {call(1, kA), call(1, kA), call(1, kA), call(2, kA), call(2, kA), call(2, kA), call(2, kA)},
       {"calls " + name(kA) + " 3-4 times in a frame", "calls " + name(kA) + " then " + name(kA)},
       {"calls " + name(kA) + " 5-8 times in a frame", "calls " + name(kA) + " 1 times in a frame"}},
      {"debug and misuse lines with their digits folded",
       {other(3, EventKind::Debug, "level 12 at 0.5"), other(4, EventKind::Misuse, "rule 7")},
       {"debug \"level # at #.#\"", "misuse \"rule #\""}, {}},
      {"argument classes by declared kind, none for out-variables",
       {call(1, kArgs, {0xFFFFFFFB, 0x7FC00000, 0, 0x1234}), call(2, kArgs, {5, 0x3F800000, 77, 0x5678})},
       {"passes " + name(kArgs) + " argument 0 negative small", "passes " + name(kArgs) + " argument 0 small",
        "passes " + name(kArgs) + " argument 1 NaN", "passes " + name(kArgs) + " argument 1 one",
        "passes " + name(kArgs) + " argument 2 zero", "passes " + name(kArgs) + " argument 2 a handle"},
       {"passes " + name(kArgs) + " argument 3 small"}},
  };
  for (const Case& c : cases) {
    std::vector<HostEvent> events = c.events;
    for (HostEvent& event : events)
      if (event.hash == kArgs) event.outArgs = {3};
    const Features features = sessionFeatures(events);
    for (const std::string& feature : c.present) EXPECT_TRUE(has(features, feature)) << c.what << ": " << feature;
    for (const std::string& feature : c.absent) EXPECT_FALSE(has(features, feature)) << c.what << ": " << feature;
  }
  standin::forgetNativeNames();
}

// Addresses move from process to process: the same session in another
// process shows the same features.
TEST(ChaosFeedback, AddressesShowNothing) {
  std::vector<HostEvent> first = {call(1, kA, {0x1000, 0x2000}), other(1, EventKind::ScriptRegister)};
  first[0].outArgs = {1};
  std::vector<HostEvent> second = first;
  second[0].args = {0x7000, 0x9000};
  second[1].pointer = &second;
  EXPECT_EQ(sessionFeatures(first), sessionFeatures(second));
  EXPECT_EQ(calledNatives({call(1, kB), call(2, kA), call(3, kB)}), (std::vector<std::uint64_t>{kA, kB}));
  for (const auto& [calls, expected] : std::vector<std::pair<std::uint64_t, unsigned>>{
           {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 4}, {8, 4}, {9, 5}, {1000, 11}})
    EXPECT_EQ(countClass(calls), expected) << calls;
  EXPECT_EQ(foldDigits("frame 120, 3 left"), "frame #, # left");
}

Outcome outcome(std::vector<std::string> features, bool ended = false, std::uint64_t frames = 10) {
  Outcome made;
  made.ended = ended;
  made.features = Features(features.begin(), features.end());
  made.scenario.frames = frames;
  return made;
}

TEST(ChaosCorpus, OnlyWhatShowsSomethingNewBecomesASeed) {
  ChaosCorpus corpus;
  EXPECT_TRUE(corpus.offer(outcome({"calls a", "calls b"})));
  EXPECT_EQ(corpus.lastWhy(), "calls a");
  EXPECT_FALSE(corpus.offer(outcome({"calls a"})));
  EXPECT_FALSE(corpus.offer(outcome({"calls c"}, true))) << "a session that found something is no seed";
  EXPECT_TRUE(corpus.offer(outcome({"calls a", "calls c"}))) << "nor did it mark what it showed as seen";
  EXPECT_EQ(corpus.lastWhy(), "calls c");
  ASSERT_EQ(corpus.seeds().size(), 2u);
  EXPECT_NE(corpus.seeds()[1]->text.find("new for: calls c"), std::string::npos) << corpus.seeds()[1]->text;

  // Beyond the most it holds, the largest goes.
  ChaosCorpus full;
  for (std::size_t i = 0; i <= kMostSeeds; ++i) full.offer(outcome({"f" + std::to_string(i)}, false, i == 7 ? 999999999 : 10));
  EXPECT_EQ(full.seeds().size(), kMostSeeds);
  for (const auto& seed : full.seeds()) EXPECT_NE(seed->scenario.frames, 999999999u);

  const std::string name = seedFileName("frames 10\n");
  EXPECT_EQ(name.size(), 20u);
  EXPECT_EQ(name, seedFileName("frames 10\n"));
  EXPECT_NE(name, seedFileName("frames 11\n"));
}

// Workers finish sessions in any order; the corpus, and the seeds each
// session is given, are the same.
TEST(ChaosCorpus, EpochsMergeTheSameWhateverTheOrderOfPlay) {
  const std::uint64_t sessions = 5 * kEpochSessions + 10;
  std::vector<Outcome> outcomes;
  for (std::uint64_t i = 0; i < sessions; ++i) outcomes.push_back(outcome({"f" + std::to_string(i % 97), "g" + std::to_string(i % 5)}));
  std::vector<std::uint64_t> order(sessions);
  for (std::uint64_t i = 0; i < sessions; ++i) order[i] = i;
  std::vector<std::string> corpora;
  std::vector<std::map<std::uint64_t, std::size_t>> given;  // seeds each session started from
  for (unsigned shuffle = 0; shuffle < 3; ++shuffle) {
    if (shuffle > 0) {
      // Ahead by at most two epochs, as sessions wait for theirs.
      std::mt19937 random(shuffle);
      for (std::uint64_t from = 0; from < sessions; from += kEpochSessions)
        std::shuffle(order.begin() + static_cast<std::ptrdiff_t>(from),
                     order.begin() + static_cast<std::ptrdiff_t>(std::min(sessions, from + kEpochSessions)), random);
    }
    EpochMerger merger(ChaosCorpus(), sessions);
    given.emplace_back();
    for (std::uint64_t index : order) {
      const auto seeds = merger.seedsFor(index);
      ASSERT_TRUE(seeds) << "session " << index << " waited for an epoch that cannot end before it";
      given.back()[index] = seeds->size();
      merger.add(index, outcomes[index]);
    }
    EXPECT_EQ(merger.mergedEpochs(), 6u) << "the last, short epoch is merged too";
    std::string corpus;
    for (const auto& seed : merger.corpus().seeds()) corpus += seed->why + ",";
    corpora.push_back(corpus);
    EXPECT_EQ(merger.corpus().seeds().size(), 97u);
  }
  EXPECT_EQ(corpora[0], corpora[1]);
  EXPECT_EQ(corpora[0], corpora[2]);
  EXPECT_EQ(given[0], given[1]);
  EXPECT_EQ(given[0], given[2]);
  EXPECT_EQ(given[0][kEpochSessions * 2 - 1], 0u);
  EXPECT_EQ(given[0][kEpochSessions * 2], kEpochSessions) << "epoch 2 starts from what epoch 0 found";

  EpochMerger waiting(ChaosCorpus(), 0);
  EXPECT_TRUE(waiting.seedsFor(kEpochSessions * 2 - 1)) << "the first two epochs start from the corpus as given";
  EXPECT_FALSE(waiting.seedsFor(kEpochSessions * 2)) << "the third waits for the first";
  for (std::uint64_t i = 0; i < kEpochSessions; ++i) waiting.add(i, outcome({"f" + std::to_string(i)}));
  ASSERT_TRUE(waiting.seedsFor(kEpochSessions * 2));
  EXPECT_EQ(waiting.seedsFor(kEpochSessions * 2)->size(), kEpochSessions);
  EXPECT_FALSE(waiting.seedsFor(kEpochSessions * 3));
}

ChaosPlan smallPlan() {
  ChaosPlan plan;
  plan.base.frames = 40;
  plan.base.head = {"fps 30"};
  plan.base.baseLines = {{"answer 0x99 int 5", 0}};
  const ValueKind kinds[] = {ValueKind::Int, ValueKind::Handle, ValueKind::Float, ValueKind::Vector, ValueKind::Whole};
  std::uint64_t hash = 0x700;
  for (ValueKind kind : kinds) plan.natives.push_back({hash++, kind, false, {}, {}});
  plan.natives.push_back({0x800, ValueKind::Bool, false, {1}, {}});
  plan.natives.push_back({0x801, ValueKind::Unknown, true, {0, 2}, {}, {{0, ValueKind::OutFloat}, {2, ValueKind::OutVector}}});
  plan.natives.push_back({0x802, ValueKind::Unknown, true, {1}, {}, {{1, ValueKind::OutWhole}}});
  return plan;
}

// What a seed file holds reads back to the very session, on the base.
TEST(ChaosSeedText, SeedsReadBackToTheirSessions) {
  const ChaosPlan plan = smallPlan();
  for (std::uint64_t i = 0; i < 400; ++i) {
    const ChaosScenario session = generateSession(plan, 11, i);
    const std::string text = seedText(session, {"a seed"});
    EXPECT_EQ(text.find("fps 30"), std::string::npos) << "the base's lines stay the base's";
    ChaosScenario read;
    ASSERT_TRUE(readSeedText(text, plan.base, read)) << text;
    ASSERT_EQ(read.text(), session.text()) << text;
  }
  ChaosScenario read;
  for (const char* bad : {"frames 10\nexpect no-reload-loss\n", "answer 0x700 sometimes\n", "key 3 K sideways\n",
                          "answer no-such-native int 1\n", "reload\n"})
    EXPECT_FALSE(readSeedText(bad, plan.base, read)) << bad;
}

TEST(ChaosMutation, GuidedSessionsStartFromSeedsAndStayTheSeedsAndIndexAlone) {
  const ChaosPlan plan = smallPlan();
  for (std::uint64_t i = 0; i < 50; ++i)
    EXPECT_EQ(guidedSession(plan, {}, 4, i).text(), generateSession(plan, 4, i).text()) << "no seeds: the blind session";
  SeedList seeds;
  for (std::uint64_t i = 0; i < 5; ++i) {
    auto seed = std::make_shared<Seed>();
    seed->scenario = generateSession(plan, 99, i);
    seed->called = {0x700, 0x801};
    seeds.push_back(seed);
  }
  std::size_t blind = 0, answersChanged = 0, sweeps = 0;
  for (std::uint64_t i = 0; i < 1000; ++i) {
    const ChaosScenario session = guidedSession(plan, seeds, 4, i);
    ASSERT_EQ(session.text(), guidedSession(plan, seeds, 4, i).text());
    blind += session.text() == generateSession(plan, 4, i).text();
    std::istringstream text(session.text());
    ASSERT_NO_THROW(standin::parseScenario(text, "session " + std::to_string(i))) << session.text();
    EXPECT_TRUE(std::is_sorted(session.keys.begin(), session.keys.end(),
                               [](const KeyLine& a, const KeyLine& b) { return a.frame < b.frame; }));
    EXPECT_TRUE(std::is_sorted(session.reloads.begin(), session.reloads.end()));
    EXPECT_LE(session.answers.size(), 48u);
    for (std::uint64_t reload : session.reloads) EXPECT_GE(reload, 2u);
    // A sweep: 0x700 (an int) answers 4, 5 and 6 in three frames in a row.
    for (std::size_t at = 0; at + 2 < session.answers.size(); ++at) {
      const AnswerLine* line = &session.answers[at];
      sweeps += line[0].native == 0x700 && line[0].first != 0 && line[0].sequence[0].value == 4 &&
                line[1].first == line[0].first + 1 && line[1].sequence[0].value == 5 &&
                line[2].first == line[0].first + 2 && line[2].sequence[0].value == 6;
    }
    for (const auto& seed : seeds)
      if (seed->scenario.keys.size() == session.keys.size() && seed->scenario.reloads == session.reloads &&
          seed->scenario.answers.size() < session.answers.size())
        ++answersChanged;
  }
  EXPECT_GT(blind, 130u);
  EXPECT_LT(blind, 280u) << "four in five start from a seed";
  EXPECT_GT(answersChanged, 0u);
  EXPECT_GT(sweeps, 10u) << "small values one frame after another, for an int the seed's session called";
}

}  // namespace
