// Chaos runs find each planted fault (planted_*_plugin.cpp) from a base that
// says nothing of it, shrink it to a few lines that play it again, find
// nothing in the plug-in without one, and find the same with the same seed.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

struct Planted {
  const char* plugin;
  int exitCode;
  const char* word;  // in the finding's file name
  const char* runs;  // enough for the seed below to find it
};

const Planted kPlanted[] = {
    {"chain", 7, "crash", "256"},
    {"rare_misuse", 6, "ARG-KIND", "100"},
    {"reload", 7, "crash", "20"},
};

struct ChaosRun {
  int exitCode = -1;
  std::string output;
  std::vector<fs::path> findings;  // in name order
};

std::string plantedPlugin(const std::string& name) { return e2e::paths().testPlugins + "/planted_" + name + ".asi"; }

ChaosRun chaos(const std::string& plugin, const std::string& runs, const std::string& seed, const fs::path& out) {
  fs::remove_all(out);
  fs::create_directories(out);
  ChaosRun run;
  const std::string base = (kSourceRoot / "standin" / "test_plugins" / "planted.scn").string();
  run.exitCode = e2e::runUnderWine({e2e::paths().standinExe, "--chaos", base, plantedPlugin(plugin), "--runs", runs,
                                    "--seed", seed, "-j", "2", "--out", out.string()},
                                   run.output, out.string());
  for (const auto& entry : fs::directory_iterator(out))
    if (entry.path().extension() == ".scn") run.findings.push_back(entry.path());
  std::sort(run.findings.begin(), run.findings.end());
  return run;
}

fs::path outFolder(const std::string& name) {
  return fs::temp_directory_path() /
         ("chaos-" + name + "-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
}

// The lines that make the finding, besides frames, names, folder and strict.
std::size_t findingLines(const std::string& text) {
  std::istringstream lines(text);
  std::size_t count = 0;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string first;
    if (words >> first && first[0] != '#' && first != "frames" && first != "names" && first != "folder" && first != "strict")
      ++count;
  }
  return count;
}

class Chaos : public ::testing::TestWithParam<Planted> {};

TEST_P(Chaos, FindsThePlantedFaultAndShrinksItToAScenarioThatPlaysIt) {
  const Planted& planted = GetParam();
  const fs::path out = outFolder(planted.plugin);
  const ChaosRun run = chaos(planted.plugin, planted.runs, "1", out);
  SCOPED_TRACE(run.output);
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_EQ(run.findings.size(), 1u);
  const fs::path finding = run.findings[0];
  EXPECT_EQ(finding.filename().string(), std::string("001-") + planted.word + ".scn");
  const std::string text = e2e::readFile(finding.string());
  SCOPED_TRACE(text);
  EXPECT_LE(findingLines(text), 6u);
  EXPECT_NE(text.find("# Found by chaos with --seed 1, session "), std::string::npos);

  std::string output;
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, finding.string(), plantedPlugin(planted.plugin),
                               (out / "replay-trace.txt").string()},
                              output, out.string()),
            planted.exitCode)
      << output;
  fs::remove_all(out);
}

INSTANTIATE_TEST_SUITE_P(Planted, Chaos, ::testing::ValuesIn(kPlanted),
                         [](const ::testing::TestParamInfo<Planted>& info) { return std::string(info.param.plugin); });

TEST(ChaosRun, APlugInWithoutAFaultGivesNothing) {
  const fs::path out = outFolder("clean");
  const ChaosRun run = chaos("clean", "100", "1", out);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(run.findings.empty()) << run.output;
  fs::remove_all(out);
}

// Every session plays in a fresh copy of the base's working folder: the
// base's own stays as it was, though Vantomere writes its log in each.
TEST(ChaosRun, EverySessionHasAFreshWorkingFolder) {
  const fs::path out = outFolder("folder"), game = out / "game";
  fs::remove_all(out);
  fs::create_directories(game / "Harlowick");
  fs::copy_file(fs::path(e2e::paths().plugin).parent_path() / "Vantomere.ini", game / "Vantomere.ini");
  e2e::writeFile((out / "base.scn").string(), "frames 30\n" + e2e::vantomereNames() + "folder game\n");
  std::string output;
  const int code = e2e::runUnderWine({e2e::paths().standinExe, "--chaos", (out / "base.scn").string(), e2e::paths().plugin,
                                      "--runs", "6", "--seed", "1", "-j", "2", "--out", (out / "findings").string()},
                                     output, out.string());
  EXPECT_TRUE(code == 0 || code == 1) << output;
  EXPECT_TRUE(fs::is_empty(game / "Harlowick")) << output;
  EXPECT_FALSE(fs::exists(out / "findings" / "work")) << "the copies are gone with the run's work folder";
  fs::remove_all(out);
}

// A session played in a process that played others gives the exit code and
// the trace of the same session in a fresh process; a session that leaves
// something in the process ends it, and the next has a fresh one.
TEST(ChaosRun, AServedSessionIsAFreshOne) {
  const fs::path out = outFolder("served"), game = out / "game";
  fs::remove_all(out);
  fs::create_directories(game / "Harlowick");
  fs::copy_file(fs::path(e2e::paths().plugin).parent_path() / "Vantomere.ini", game / "Vantomere.ini");
  const std::string names = e2e::vantomereNames() + "folder game\nstrict\n";
  const std::map<std::string, std::string> scenarios = {
      {"short", "frames 20\n"},
      {"fight", "folder game\n" + e2e::scenarioFile((kSourceRoot / "standin" / "scenarios" / "default-session.scn").string())},
      {"chaos", names + "frames 90\nreload 40\nkey 35 F8\nkey 36 F8 up\nanswer current-weapon out 1 0x28950C71\n"
                "answer melee-target int 7 then zero\nanswer target-test-1 int 1\nanswer target-bone out 1 21030\n"
                "answer entity-rotation vector 0x7FC00000 -0 1e30\nanswer player-character int 0\n"},
  };
  for (const auto& [name, text] : scenarios) e2e::writeFile((out / (name + ".scn")).string(), text);
  const std::string leaves = e2e::paths().testPlugins + "/leaves_", sees = e2e::paths().testPlugins + "/sees_process.asi";
  // What a session leaves that the process puts back, or that stays with the
  // session's own threads, the next session must not see (sees_process tells
  // it in its trace); what cannot be put back ends the process, which says
  // what was left.
  const struct Row {
    std::string plugin, scenario;
    int code;
    const char* where;
  } rows[] = {
      {e2e::paths().plugin, "fight", 0, "kept"},
      {e2e::paths().plugin, "chaos", 0, "kept"},
      {e2e::paths().plugin, "chaos", 0, "kept"},
      {leaves + "handle.asi", "short", 0, "ended (1 more handle)"},
      {e2e::paths().plugin, "chaos", 0, "kept"},
      {leaves + "tls.asi", "short", 0, "ended (a TLS slot)"},
      {leaves + "module.asi", "short", 0, "ended (1 more loaded module)"},
      // The floating-point control is the thread's: it ends with the session's.
      {leaves + "sse.asi", "short", 0, "kept"},
      {leaves + "filter.asi", "short", 0, "ended (an exception filter)"},
      {e2e::paths().plugin, "fight", 0, "kept"},
      {leaves + "nothing_reads_ini.asi", "short", 0, "kept"},
      {leaves + "nothing_reads_ini.asi", "short", 0, "kept"},
      {leaves + "rand.asi", "short", 0, "kept"},
      {e2e::paths().testPlugins + "/crashes_on_41.asi", "short", 7, "fresh"},
      {leaves + "rand.asi", "short", 0, "kept"},
      {sees, "short", 0, "kept"},
      {leaves + "environment.asi", "short", 0, "kept"},
      {sees, "short", 0, "kept"},
      {leaves + "locale.asi", "short", 0, "kept"},
      {sees, "short", 0, "kept"},
      {e2e::paths().plugin, "chaos", 0, "kept"},
      {leaves + "dll_directory.asi", "short", 0, "kept"},
      {sees, "short", 0, "kept"},
      {leaves + "error_mode.asi", "short", 0, "kept"},
      {sees, "short", 0, "kept"},
      {leaves + "fls.asi", "short", 7, "fresh"},
      {sees, "short", 0, "kept"},
      {leaves + "default_dll_directories.asi", "short", 0, "ended (the DLL directory)"},
      {sees, "short", 0, "kept"},
  };
  std::vector<std::string> command = {e2e::paths().standinExe, "--play-served", out.string()};
  std::string expected;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    command.insert(command.end(), {rows[i].plugin, (out / (rows[i].scenario + ".scn")).string()});
    expected += std::to_string(i + 1) + " " + std::to_string(rows[i].code) + " " + rows[i].where + "\n";
  }
  std::string said;
  ASSERT_EQ(e2e::runUnderWine(command, said, out.string()), 0) << said;
  EXPECT_EQ(said, expected);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const std::string trace = (out / (std::to_string(i + 1) + "-trace.txt")).string();
    const std::string served = e2e::readFile(trace);
    std::string output;
    const int code = e2e::runUnderWine(
        {e2e::paths().standinExe, (out / (rows[i].scenario + ".scn")).string(), rows[i].plugin, trace}, output, out.string());
    EXPECT_EQ(code, rows[i].code) << output;
    EXPECT_EQ(e2e::readFile(trace), served) << "session " << i + 1 << ": " << rows[i].plugin;
  }
  fs::remove_all(out);
}

TEST(ChaosRun, TheSameSeedGivesTheSameFindings) {
  const fs::path first = outFolder("seed-first"), second = outFolder("seed-second");
  const ChaosRun a = chaos("reload", "20", "1", first), b = chaos("reload", "20", "1", second);
  ASSERT_EQ(a.findings.size(), b.findings.size()) << a.output << b.output;
  for (std::size_t i = 0; i < a.findings.size(); ++i)
    EXPECT_EQ(e2e::readFile(a.findings[i].string()), e2e::readFile(b.findings[i].string()));
  fs::remove_all(first);
  fs::remove_all(second);
}

}  // namespace
