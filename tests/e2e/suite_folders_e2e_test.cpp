// A suite plays each scenario in a fresh copy of its working folder and puts
// its traces in play-traces/; --play tells one scenario in short with its
// crash's places, or plays a suite.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> everythingIn(const std::string& folder) {
  std::set<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    found.insert(fs::relative(entry.path(), folder).generic_string() + (entry.is_directory() ? "/" : ""));
  return found;
}

std::string freshFolder(const std::string& name) {
  const std::string folder = fs::temp_directory_path().string() + "/standin-" + name + "-" + std::to_string(getpid());
  fs::remove_all(folder);
  fs::create_directories(folder + "/run");
  return folder;
}

// Two scenarios share `folder game`, played at once: each finds the folder as
// the author left it (the log the other wrote is not in it), and neither the
// author's folder nor the one the suite runs from keeps anything but the traces.
TEST(SuiteFolders, ScenariosPlayInFreshCopiesAndTheAuthorsFoldersStayAsTheyWere) {
  const std::string folder = freshFolder("suite-folders");
  fs::create_directories(folder + "/tests/game/Harlowick");
  fs::copy_file(fs::path(e2e::paths().plugin).parent_path() / "Vantomere.ini", folder + "/tests/game/Vantomere.ini");
  // A log of an earlier session, as the author's folder may hold: each copy starts with it.
  e2e::writeFile(folder + "/tests/game/Harlowick/Log.log", "earlier\n");
  const std::string scenario =
      "folder game\nframes 40\nexpect line Harlowick/Log.log earlier\n"
      "expect line Harlowick/Log.log \"* settings file loaded\"\n";
  for (const char* name : {"a.scn", "b.scn", "c.scn"}) e2e::writeFile(folder + "/tests/" + name, scenario);
  const std::set<std::string> before = everythingIn(folder + "/tests");
  const std::string log = e2e::readFile(folder + "/tests/game/Harlowick/Log.log");
  std::string output;
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--suite", "-j", "2", e2e::paths().plugin, "../tests"}, output,
                              folder + "/run"),
            0)
      << output;
  EXPECT_NE(output.find("3 passed, 0 failed"), std::string::npos) << output;
  EXPECT_EQ(everythingIn(folder + "/run"),
            (std::set<std::string>{"play-traces/", "play-traces/a.txt", "play-traces/b.txt", "play-traces/c.txt"}));
  EXPECT_EQ(everythingIn(folder + "/tests"), before);
  EXPECT_EQ(e2e::readFile(folder + "/tests/game/Harlowick/Log.log"), log);
  // The trace names the author's folder (from the trace's), as a scenario played alone would.
  const std::string trace = e2e::readFile(folder + "/run/play-traces/a.txt");
  EXPECT_NE(trace.find("\n# folder \"../../tests/game\"\n"), std::string::npos) << trace.substr(0, 400);
  fs::remove_all(folder);
}

// --play, as the kit's play.cmd runs it: the plug-in from PLUGIN, one
// scenario told in short with the crash's places from the .pdb and the
// trace's path; a folder of scenarios played as a suite.
TEST(SuiteFolders, PlayTellsOneScenarioInShortOrPlaysASuite) {
  const std::string folder = freshFolder("play");
  fs::create_directories(folder + "/tests");
  e2e::writeFile(folder + "/tests/crash.scn", "frames 4\nkey 2 0x41\ncap stall-ms 3000\n");
  e2e::writeFile(folder + "/tests/place.txt", "script");
  const std::string plugin = e2e::paths().testPlugins + "/abi_crash_msvc.asi";
  setenv("PLUGIN", plugin.c_str(), 1);
  std::string output;
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--play", "../tests/crash.scn"}, output, folder + "/run"), 7)
      << output;
  for (const char* said : {"frame  game time", "where in abi_crash_msvc.asi:\nabi_crash_msvc.asi+0x",
                           "::inner at abi_ending_plugin.cpp:", "\ntrace: "})
    EXPECT_NE(output.find(said), std::string::npos) << said << "\n" << output;
  EXPECT_TRUE(fs::exists(folder + "/run/play-trace.txt"));
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--play", "--trace-only", "../tests/crash.scn", "t.txt"}, output,
                              folder + "/run"),
            7);
  EXPECT_EQ(output.find("where in"), std::string::npos) << output;
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--play", "--junit", "j.xml", "../tests"}, output,
                              folder + "/run"),
            1)
      << output;
  EXPECT_NE(output.find("0 passed, 1 failed"), std::string::npos) << output;
  EXPECT_TRUE(fs::exists(folder + "/run/play-traces/crash.txt"));
  unsetenv("PLUGIN");
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--play", "../tests/crash.scn"}, output, folder + "/run"), 2);
  EXPECT_NE(output.find("set PLUGIN to the plug-in to play"), std::string::npos) << output;
  fs::remove_all(folder);
}

}  // namespace
