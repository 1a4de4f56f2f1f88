#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "scenario.h"

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

}  // namespace
