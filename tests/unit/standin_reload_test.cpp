#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "checks/expectations.h"
#include "checks/reload_usage.h"
#include "scenario/scenario.h"

namespace {

std::string outcomeOf(const std::string& text) {
  std::istringstream in(text);
  try {
    const standin::Scenario scenario = standin::parseScenario(in, "scenario.txt");
    std::string frames;
    for (std::uint64_t frame : scenario.reloads) frames += " " + std::to_string(frame);
    return "reloads before" + frames;
  } catch (const standin::ScenarioError& error) {
    return error.what();
  }
}

TEST(ScenarioReloads, FramesBeforeWhichThePlugInIsLoadedAnew) {
  const struct {
    const char* scenario;
    const char* outcome;
  } cases[] = {
      {"frames 10\n", "reloads before"},
      {"frames 10\nreload 4\n", "reloads before 4"},
      {"reload 10\nreload 2\n", "reloads before 2 10"},
      {"frames 10\nreload every 3\n", "reloads before 4 7 10"},
      {"reload every 3\nframes 9\nreload 4\nreload 5\n", "reloads before 4 5 7"},
      {"frames 3\nreload every 1\n", "reloads before 2 3"},
      {"frames 3\nreload every 5\n", "reloads before"},
      {"reload 11\n", "scenario.txt:1: reload before frame 11, but the session has only 10 frames"},
      {"reload 1\n", "scenario.txt:1: the plug-in is loaded before frame 1 anyway: reload before frame 2 or later"},
      {"reload 0\n", "scenario.txt:1: frames are numbered from 1"},
      {"reload every 0\n", "scenario.txt:1: 'reload every' needs a number of frames of 1 or more"},
      {"reload every 2\nreload every 3\n", "scenario.txt:2: 'reload every' given twice (first on line 1)"},
      {"reload\n", "scenario.txt:1: missing frame of the reload, or 'every'"},
      {"reload every\n", "scenario.txt:1: missing number of frames between reloads"},
      {"reload 3 4\n", "scenario.txt:1: unexpected '4' at the end of the line"},
  };
  for (const auto& c : cases) EXPECT_EQ(outcomeOf(c.scenario), c.outcome) << c.scenario;
}

// What each unload left: `unloads` samples, losing `tls` indexes and
// growing by `bytes` at each one, after a warm-up that takes its own share.
std::vector<standin::UsageSample> unloads(std::size_t count, std::uint64_t tls, std::uint64_t bytes) {
  std::vector<standin::UsageSample> samples;
  for (std::uint64_t i = 0; i < count; ++i)
    samples.push_back({1086 - 50 * (i == 0) - tls * i, 14000000 + 500000 * (i != 0) + bytes * i});
  if (count > 12) samples[count / 2].freeTlsIndexes -= 7;  // a thread of the process's own, come and gone
  return samples;
}

TEST(ReloadLoss, TheVerdictNamesWhatOneReloadLosesAndTheFix) {
  const struct {
    std::size_t count;
    std::uint64_t tls, bytes;
    const char* lost;  // the verdict up to its fix; empty: no verdict
  } cases[] = {
      {300, 0, 0, ""},
      {300, 0, 1023, ""},
      {11, 1, 75000, ""},  // too few to tell
      {12, 1, 0, "the plug-in lost 10 TLS indexes (1 per reload) over 10 reloads"},
      {100, 0, 2049, "the plug-in lost 182361 bytes of committed memory (2049 per reload) over 89 reloads and no TLS index"},
      {300, 1, 74855, "the plug-in lost 269 TLS indexes (1 per reload) and 20135995 bytes of committed "
                      "memory (74855 per reload) over 269 reloads"},
      {300, 0, 1024, "the plug-in lost 275456 bytes of committed memory (1024 per reload) over 269 reloads and no TLS index"},
  };
  for (const auto& c : cases) {
    const std::string verdict = standin::reloadLossVerdict(unloads(c.count, c.tls, c.bytes));
    EXPECT_EQ(verdict.substr(0, verdict.find(':')), c.lost) << c.count << " unloads";
    if (*c.lost) {
      EXPECT_NE(verdict.find("script_runtime_release.cpp"), std::string::npos) << verdict;
      // Without a TLS index lost, the runtime (released) is not to blame: the plug-in's own code is.
      EXPECT_EQ(verdict.find("the plug-in's own code") != std::string::npos, c.tls == 0) << verdict;
      EXPECT_EQ(verdict.find("script's locals") != std::string::npos, c.tls == 0) << verdict;
    }
  }
}

// Handles and loaded modules: one taken at every reload is a loss, named
// with its count; one taken once (a first use of an API), or a count that
// goes up and down, is none.
TEST(ReloadLoss, HandlesAndModulesTakenAtEveryReloadAreLost) {
  const auto with = [](std::size_t count, std::uint64_t handlesEach, std::uint64_t modulesEach, bool once) {
    std::vector<standin::UsageSample> samples = unloads(count, 0, 0);
    for (std::uint64_t i = 0; i < samples.size(); ++i) {
      samples[i].handles = 40 + handlesEach * i + (once && i != 0 ? 3 : 0) + i % 2;
      samples[i].modules = 30 + modulesEach * i + (once && i != 0 ? 1 : 0);
    }
    return samples;
  };
  const struct {
    std::size_t count;
    std::uint64_t handles, modules;
    bool once;
    const char* lost;
  } cases[] = {
      {300, 0, 0, true, ""},
      {12, 1, 0, false, "the plug-in lost 10 handles (1 per reload) over 10 reloads and no TLS index"},
      {12, 0, 1, true, "the plug-in lost 10 loaded modules (1 per reload) over 10 reloads and no TLS index"},
      {100, 2, 1, false, "the plug-in lost 179 handles (2 per reload) and 89 loaded modules (1 per reload) over 89 "
                         "reloads and no TLS index"},
  };
  for (const auto& c : cases) {
    const std::string verdict = standin::reloadLossVerdict(with(c.count, c.handles, c.modules, c.once));
    EXPECT_EQ(verdict.substr(0, verdict.find(':')), c.lost) << c.count << " unloads";
  }
}

TEST(ReloadLoss, AnExpectationFailsOnALossOrTooFewUnloads) {
  standin::Expectation expected;
  expected.kind = standin::Expectation::Kind::NoReloadLoss;
  expected.line = 4;
  const struct {
    std::vector<standin::UsageSample> usage;
    const char* failure;
  } cases[] = {
      {unloads(40, 0, 0), ""},
      {unloads(3, 0, 0), "s.scn:4: expected nothing lost across reloads; got 3 unloads, too few to tell (at least 12: "
                         "'reload every N')"},
      {unloads(40, 1, 0), "s.scn:4: expected nothing lost across reloads; got: the plug-in lost 35 TLS indexes"},
  };
  for (const auto& c : cases) {
    standin::ExpectationCheck check({expected}, "s.scn");
    EXPECT_TRUE(check.watchesUsage());
    check.seeUsage(c.usage);
    const auto failures = check.failures();
    const std::string got = failures.empty() ? "" : failures[0].substr(0, std::string(c.failure).size());
    EXPECT_EQ(got, c.failure);
  }
}

}  // namespace
