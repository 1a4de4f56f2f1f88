// Guided chaos runs: with --runs, the findings and the corpus are the seed's
// and the count's alone, whatever -j is; a corpus folder outlives its run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

// Three epochs, the last guided; 600 sessions at -j 1 take longer than a
// test may here, and scripts/chaos-measure --same plays that many.
std::string sessionsToPlay() {
  const char* runs = std::getenv("STANDIN_CHAOS_SAME_RUNS");
  return runs && *runs ? runs : "192";
}

int chaos(const std::string& runs, const std::string& jobs, const fs::path& corpus, const fs::path& out,
          std::string& output) {
  fs::remove_all(out);
  fs::create_directories(out);
  const std::string base = (kSourceRoot / "standin" / "test_plugins" / "planted.scn").string();
  return e2e::runUnderWine({e2e::paths().standinExe, "--chaos", base, e2e::paths().testPlugins + "/planted_reload.asi",
                            "--runs", runs, "--seed", "1", "-j", jobs, "--out", out.string(), "--corpus", corpus.string()},
                           output, out.string());
}

// Each file's text by name; a finding's count of replays depends on how many
// ran at once, and is left out.
std::map<std::string, std::string> filesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".scn") continue;
    std::istringstream lines(e2e::readFile(entry.path().string()));
    std::string kept;
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("# Shrunk from ", 0) != 0) kept += line + "\n";
    files[entry.path().filename().string()] = kept;
  }
  return files;
}

TEST(ChaosCorpus, TheSameRunsGiveTheSameFindingsAndCorpusAtAnyJobs) {
  const fs::path top = fs::temp_directory_path() /
                       ("chaos-corpus-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(top);
  std::string output;
  ASSERT_TRUE(chaos("64", "2", top / "corpus", top / "first", output) <= 1) << output;
  ASSERT_NE(output.find("seeds, the last new for: "), std::string::npos) << output;
  const std::map<std::string, std::string> seeds = filesIn(top / "corpus");
  ASSERT_FALSE(seeds.empty()) << output;
  for (const auto& [name, text] : seeds) EXPECT_EQ(text.find("names "), std::string::npos) << name << ": only chaos's lines";

  std::map<std::string, std::string> findings[2], corpora[2];
  const char* jobs[] = {"1", "2"};
  for (int i = 0; i < 2; ++i) {
    const fs::path corpus = top / ("corpus-" + std::string(jobs[i]));
    fs::copy(top / "corpus", corpus);
    const int code = chaos(sessionsToPlay(), jobs[i], corpus, top / ("out-" + std::string(jobs[i])), output);
    ASSERT_TRUE(code <= 1) << output;
    EXPECT_NE(output.find(" of its " + std::to_string(seeds.size()) + " seeds still show something new"), std::string::npos)
        << output;
    findings[i] = filesIn(top / ("out-" + std::string(jobs[i])));
    corpora[i] = filesIn(corpus);
  }
  EXPECT_FALSE(findings[0].empty()) << output;
  EXPECT_EQ(findings[0], findings[1]);
  EXPECT_EQ(corpora[0], corpora[1]);
  EXPECT_FALSE(corpora[0].empty());
  fs::remove_all(top);
}

}  // namespace
