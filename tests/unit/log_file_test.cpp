#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <ios>
#include <stdexcept>
#include <string>

#include "config/log_file.h"
#include "config/log_line_format.h"
#include "config_test_support.h"

namespace {

namespace fs = std::filesystem;

std::tm brokenDown(int day, int month0, int year, int hour, int minute, int second) {
  std::tm t{};
  t.tm_mday = day;
  t.tm_mon = month0;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(LogLineFormat, NumbersWithoutPaddingAndMessageByteForByte) {
  const struct {
    std::tm time;
    const char* message;
    const char* line;
  } cases[] = {
      {brokenDown(6, 11, 2026, 9, 5, 3), "settings file loaded",
       "[6/12/2026 9:5:3] settings file loaded\n"},
      {brokenDown(1, 0, 2027, 0, 0, 0), "", "[1/1/2027 0:0:0] \n"},
      {brokenDown(31, 11, 1999, 23, 59, 60), "two\nlines", "[31/12/1999 23:59:60] two\nlines\n"},
      {brokenDown(10, 9, 2030, 10, 10, 10), "\t\x80\xff", "[10/10/2030 10:10:10] \t\x80\xff\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatLogLine(&c.time, c.message), c.line);
}

TEST(LogLineFormat, MissingTimeOrMessageStillGivesAWholeLine) {
  EXPECT_EQ(formatLogLine(nullptr, "kept"), "[0/0/0 0:0:0] kept\n");
  const std::tm t = brokenDown(2, 1, 2026, 1, 2, 3);
  EXPECT_EQ(formatLogLine(&t, nullptr), "[2/2/2026 1:2:3] \n");
}

TEST(LogLine, OpensAppendsAndClosesOnEveryCall) {
  RecordingLogSink sink;
  logLine("first");
  logLine(std::string("second"));
  EXPECT_EQ(sink.messages(), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(sink.openedPaths, (std::vector<std::string>{"Harlowick/Log.log", "Harlowick/Log.log"}));
  EXPECT_EQ(sink.closes, 2);
}

TEST(LogLine, StringFormStopsAtTheFirstNul) {
  RecordingLogSink sink;
  logLine(std::string("before\0after", 12));
  logLine(std::string("\0hidden", 7));
  EXPECT_EQ(sink.messages(), (std::vector<std::string>{"before", ""}));
}

// A log file that fails in one of the ways a real one can.
enum class Fault { OpenFails, OpenThrows, WriteThrows, CloseThrows };

class FaultyLogSink : public RecordingLogSink {
 public:
  explicit FaultyLogSink(Fault fault) : fault_(fault) {}
  bool open(const char* path) override {
    if (fault_ == Fault::OpenThrows) throw std::ios_base::failure("open");
    RecordingLogSink::open(path);
    return fault_ != Fault::OpenFails;
  }
  void write(const char* bytes, std::size_t count) override {
    if (fault_ == Fault::WriteThrows) throw std::bad_alloc();
    RecordingLogSink::write(bytes, count);
  }
  void close() override {
    RecordingLogSink::close();
    if (fault_ == Fault::CloseThrows) throw std::runtime_error("close");
  }

 private:
  Fault fault_;
};

TEST(LogLine, FailingFileNeverThrowsAndIsClosedWhenItWasOpened) {
  const struct {
    Fault fault;
    int closes;
  } cases[] = {
      {Fault::OpenFails, 0},
      {Fault::OpenThrows, 0},
      {Fault::WriteThrows, 1},
      {Fault::CloseThrows, 1},
  };
  for (const auto& c : cases) {
    {
      FaultyLogSink sink(c.fault);
      EXPECT_NO_THROW(logLine("lost"));
      EXPECT_NO_THROW(logLine(std::string("lost too")));
      EXPECT_EQ(sink.closes, 2 * c.closes) << static_cast<int>(c.fault);
    }
    RecordingLogSink healthy;
    logLine("next");
    EXPECT_EQ(healthy.messages(), std::vector<std::string>{"next"}) << static_cast<int>(c.fault);
  }
}

// The real log file, in a working folder of the test's own.
class LogFileTest : public ::testing::Test {
 protected:
  ScopedWorkingFolder folder_;
};

TEST_F(LogFileTest, NoFolderNoFileUntilTheFolderAppears) {
  logLine("dropped");
  EXPECT_TRUE(fs::is_empty(fs::current_path()));

  fs::create_directory("Harlowick");
  logLine("kept");
  EXPECT_EQ(messagesOfLogText(readFile(kLogFilePath)), std::vector<std::string>{"kept"});
}

TEST_F(LogFileTest, AppendsAfterAnEarlierRunsLinesWithTheLocalTime) {
  fs::create_directory("Harlowick");
  writeFile(kLogFilePath, "[1/1/2020 0:0:0] earlier run\n");

  const std::time_t before = std::time(nullptr);
  logLine("now");
  const std::time_t after = std::time(nullptr);

  const std::string text = readFile(kLogFilePath);
  const std::string old = "[1/1/2020 0:0:0] earlier run\n";
  ASSERT_EQ(text.substr(0, old.size()), old);
  const std::string added = text.substr(old.size());
  std::tm local{};
  bool matched = false;
  for (std::time_t at = before; at <= after; ++at) {
    local = *std::localtime(&at);
    matched = matched || added == formatLogLine(&local, "now");
  }
  EXPECT_TRUE(matched) << added;
}

// A log that cannot be opened, and a disk that is full: both lose the line,
// neither throws, and the log works again once the cause is gone.
TEST_F(LogFileTest, UnwritableLogRecoversWhenTheCauseGoesAway) {
  fs::create_directory("Harlowick");
  fs::create_directory(kLogFilePath);
  EXPECT_NO_THROW(logLine("into a folder"));
  fs::remove(kLogFilePath);

  if (fs::exists("/dev/full")) {
    fs::create_symlink("/dev/full", kLogFilePath);
    EXPECT_NO_THROW(logLine("onto a full disk"));
    fs::remove(kLogFilePath);
  }

  logLine("recovered");
  EXPECT_EQ(messagesOfLogText(readFile(kLogFilePath)), std::vector<std::string>{"recovered"});
}

}  // namespace
