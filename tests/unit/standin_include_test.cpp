// `include FILE`: lines shared between scenarios, read in place, told by
// their own file and line, recorded in the trace's header, and inlined into
// chaos findings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "chaos/chaos_base.h"
#include "base/native_names.h"
#include "scenario/scenario.h"
#include "trace/scenario_from_trace.h"
#include "trace/trace.h"

namespace {

class IncludeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of the test's own: ctest plays each test in a process of its own, side by side.
    folder_ = (std::filesystem::temp_directory_path() /
               ("standin-include-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "-" + std::to_string(getpid())))
                  .string();
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ + "/shared");
    standin::forgetNativeNames();
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    standin::forgetNativeNames();
  }
  std::string write(const std::string& name, const std::string& text) const {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string errorOf(const std::string& path) const {
    try {
      standin::loadScenarioFile(path);
    } catch (const standin::ScenarioError& error) {
      return error.what();
    }
    return "(accepted)";
  }
  std::string folder_;
};

TEST_F(IncludeTest, ReadsNestedFilesInPlaceRelativeToTheIncludingFile) {
  write("shared/timer.names", "0x10 game timer () -> int\n");
  write("shared/inner.scn", "answer game-timer int game-ms\nexpect debug \"never\"\n");
  const std::string shared = "\xEF\xBB\xBFnames timer.names\ninclude inner.scn\nanswer 0x20 int 1\n";
  write("shared/timer.scn", shared);
  const std::string main = write("main.scn", "frames 5\ninclude shared/timer.scn\nanswer 0x20 int 2\n");
  const standin::Scenario s = standin::loadScenarioFile(main);
  EXPECT_EQ(s.answers.find(3, 0x10, 0)->timedSlot(3, s.answers.clock()), 33u);
  EXPECT_EQ(s.answers.find(1, 0x20, 0)->slots[0], 2u) << "a later line of the includer wins";
  ASSERT_EQ(s.includes.size(), 2u);
  EXPECT_EQ(s.includes[0].hash, standin::includedTextHash(shared));
  ASSERT_EQ(s.expectations.size(), 1u);
  EXPECT_EQ(s.expectations[0].source, folder_ + "/shared/inner.scn");
  EXPECT_EQ(s.expectations[0].line, 2u);

  // The header lists them from the trace's folder, with their hashes, and reads back.
  std::ostringstream header;
  standin::writeTraceHeader(header, standin::traceHeaderOf(s, folder_, folder_ + "/trace.txt"));
  EXPECT_NE(header.str().find("# include \"shared/timer.scn\" 0x"), std::string::npos) << header.str();
  std::istringstream in(header.str() + "1 load \"P.asi\"\n");
  standin::TraceHeader read;
  standin::readTrace(in, false, &read);
  ASSERT_EQ(read.includes.size(), 2u);
  EXPECT_EQ(read.includes[0].second, s.includes[0].hash);
}

TEST_F(IncludeTest, RefusalsNameTheIncludedFileAndLine) {
  write("bad.scn", "\nanswer 0x1 bogus 1\n");
  write("self.scn", "include self.scn\n");
  write("a.scn", "include b.scn\n");
  write("b.scn", "include a.scn\n");
  write("folder.scn", "folder game\n");
  write("frames.scn", "frames 3\n");
  for (int depth = 0; depth < 10; ++depth)
    write("deep" + std::to_string(depth) + ".scn", "include deep" + std::to_string(depth + 1) + ".scn\n");
  write("deep10.scn", "");
  const struct {
    const char* main;
    std::string message;
  } cases[] = {
      {"include bad.scn", folder_ + "/bad.scn:2: unknown answer kind 'bogus'"},
      {"include self.scn", folder_ + "/self.scn:1: include 'self.scn' would read"},
      {"include a.scn", folder_ + "/b.scn:1: include 'a.scn' would read"},
      {"include missing.scn", folder_ + "/main.scn:1: cannot open the included file"},
      {"include folder.scn", folder_ + "/folder.scn:1: 'folder' belongs in the scenario itself"},
      {"frames 2\ninclude frames.scn", folder_ + "/frames.scn:1: 'frames' given twice (first on " + folder_ + "/main.scn:1)"},
      {"include deep0.scn", folder_ + "/deep7.scn:1: include 'deep8.scn' nests deeper than 8 included files"},
  };
  for (const auto& c : cases) {
    const std::string message = errorOf(write("main.scn", c.main));
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
  }
}

TEST_F(IncludeTest, ChaosFindingsHoldTheIncludedLines) {
  write("shared.scn", "answer 0x10 int game-ms\nkey 2 F7\n");
  const std::string base = write("base.scn", "frames 4\ninclude shared.scn\nchaos keys F7 F9\n");
  const standin::chaos::ChaosBase read = standin::chaos::readChaosBase(base, folder_ + "/findings");
  std::string lines;
  for (const auto& line : read.plan.base.baseLines) lines += line.text + "\n";
  EXPECT_EQ(lines, "answer 0x10 int game-ms\nkey 2 F7\n");
  EXPECT_EQ(read.plan.keyHints, (std::vector<std::uint32_t>{0x76, 0x78}));
}

TEST(ScenarioFiles, AreFoundInAnyCase) {
  for (const char* name : {"a.scn", "A.SCN", "b.Scn"}) EXPECT_TRUE(standin::isScenarioFileName(name)) << name;
  for (const char* name : {".scn", "a.scn.txt", "scn", "a.sc"}) EXPECT_FALSE(standin::isScenarioFileName(name)) << name;
}

}  // namespace
