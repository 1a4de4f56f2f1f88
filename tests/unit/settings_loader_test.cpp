#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "config/settings_loader.h"
#include "config/settings_store.h"
#include "config_test_support.h"

namespace {

using Lines = std::vector<std::string>;

TEST(SplitText, PiecesAsALineReaderTakesThem) {
  const struct {
    std::string text;
    Lines pieces;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"=", {""}},
      {"==", {"", ""}},
      {"a=", {"a"}},
      {"=a", {"", "a"}},
      {"a==b", {"a", "", "b"}},
      {"a=b=", {"a", "b"}},
      {"a=b==", {"a", "b", ""}},
      {"a=b=c", {"a", "b", "c"}},
      {" a = b ", {" a ", " b "}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitText(c.text, '='), c.pieces) << '"' << c.text << '"';
}

std::string cannotParse(const std::string& line) {
  return "cannot parse line: " + line +
         ", please make sure it is assembled of the correct format "
         "(<setting_name>=<settings_value>).";
}

SettingsMap defaultsWith(const SettingsMap& changes) {
  SettingsMap store = makeDefaultSettings();
  for (const auto& [name, text] : changes) store[name] = text;
  return store;
}

// The loader with a file of the test's own and the log recorded.
class SettingsLoaderTest : public ::testing::Test {
 protected:
  // Loads `content` as Vantomere.ini; the log lines between the start and
  // the end line (which must be there) are returned.
  Lines load(const std::string& content) {
    writeFile("Vantomere.ini", content);
    log_.text.clear();
    loadSettings("Vantomere.ini", makeDefaultSettings());
    Lines messages = log_.messages();
    EXPECT_GE(messages.size(), 2u);
    if (messages.size() < 2) return messages;
    EXPECT_EQ(messages.front(), "loading settings file: Vantomere.ini");
    EXPECT_EQ(messages.back(), "settings file loaded");
    return Lines(messages.begin() + 1, messages.end() - 1);
  }

  ScopedWorkingFolder folder_;
  RecordingLogSink log_;
};

TEST_F(SettingsLoaderTest, EachKindOfLineIsStoredIgnoredOrReported) {
  const struct {
    std::string file;
    SettingsMap changes;
    Lines reported;
  } cases[] = {
      {"AlternativeCamera=0\n", {{"AlternativeCamera", "0"}}, {}},
      {"CameraShakeOnShot=1\n", {}, {}},
      {";comment\n//comment\n[Settings]\n\\comment\n/=1\n;a=b\n", {}, {}},
      {"# comment\n", {}, {cannotParse("# comment")}},
      {"MeleeWeaponsGore\n", {}, {cannotParse("MeleeWeaponsGore")}},
      {"MeleeWeaponsGore=\n", {}, {cannotParse("MeleeWeaponsGore=")}},
      {"MeleeWeaponsGore==\n", {{"MeleeWeaponsGore", ""}}, {}},
      {"a=b=c\n", {}, {cannotParse("a=b=c")}},
      {"a==b\n", {}, {cannotParse("a==b")}},
      {"a=b==\n", {}, {cannotParse("a=b==")}},
      {"a=b=\n", {{"a", "b"}}, {}},
      {"=1\n", {{"", "1"}}, {}},
      {"==\n", {{"", ""}}, {}},
      {"=\n", {}, {cannotParse("=")}},
      {"AlternativeCamera = 0\n", {{"AlternativeCamera ", " 0"}}, {}},
      {" ;not a comment\n", {}, {cannotParse(" ;not a comment")}},
      {"\t#x=1\n", {{"\t#x", "1"}}, {}},
      {"AlternativeCamera=no\n", {{"AlternativeCamera", "no"}}, {}},
      {"AlternativeCamera=0\nAlternativeCamera=2\n", {{"AlternativeCamera", "2"}}, {}},
      {"\xEF\xBB\xBF" "AlternativeCamera=0\n", {{"\xEF\xBB\xBF" "AlternativeCamera", "0"}}, {}},
      {"\n\n#1\n\nFoo=bar\n\n#2\n", {{"Foo", "bar"}}, {cannotParse("#1"), cannotParse("#2")}},
      {std::string("x\0=y=z\n", 7), {}, {cannotParse("x")}},
      {std::string("n\0m=v\0w\n", 8), {{std::string("n\0m", 3), std::string("v\0w", 3)}}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(load(c.file), c.reported) << '"' << c.file << '"';
    EXPECT_EQ(settingsStore(), defaultsWith(c.changes)) << '"' << c.file << '"';
  }
}

// Lines end at a line feed; text mode turns CR LF into one; a bare CR is an
// ordinary byte; the last line needs no line end.
TEST_F(SettingsLoaderTest, LineEnds) {
  const SettingsMap bothOff = defaultsWith({{"AlternativeCamera", "0"}, {"MeleeWeaponsGore", "0"}});
  const struct {
    std::string file;
    SettingsMap store;
    Lines reported;
  } cases[] = {
      {"AlternativeCamera=0\nMeleeWeaponsGore=0\n", bothOff, {}},
      {"AlternativeCamera=0\r\nMeleeWeaponsGore=0\r\n", bothOff, {}},
      {"AlternativeCamera=0\r\nMeleeWeaponsGore=0", bothOff, {}},
      {"AlternativeCamera=0\nMeleeWeaponsGore=0", bothOff, {}},
      {"AlternativeCamera=0\r\r\n", defaultsWith({{"AlternativeCamera", "0\r"}}), {}},
      {"AlternativeCamera=0\r", defaultsWith({{"AlternativeCamera", "0\r"}}), {}},
      {"AlternativeCamera=0\rMeleeWeaponsGore=0\r",
       makeDefaultSettings(),
       {cannotParse("AlternativeCamera=0\rMeleeWeaponsGore=0\r")}},
      {"AlternativeCamera=0\rx\r\n", defaultsWith({{"AlternativeCamera", "0\rx"}}), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(load(c.file), c.reported) << '"' << c.file << '"';
    EXPECT_EQ(settingsStore(), c.store) << '"' << c.file << '"';
  }
}

TEST_F(SettingsLoaderTest, EmptyFileLogsStartAndEndOnly) {
  EXPECT_EQ(load(""), Lines{});
  EXPECT_EQ(settingsStore(), makeDefaultSettings());
}

TEST_F(SettingsLoaderTest, FileThatCannotBeReadLeavesTheDefaultsAndOneLine) {
  const auto missing = [] {};
  const auto folder = [] { std::filesystem::create_directory("Vantomere.ini"); };
  for (const auto& prepare : {std::function<void()>(missing), std::function<void()>(folder)}) {
    publishSettingsStore({{"Earlier", "store"}});
    log_.text.clear();
    prepare();
    loadSettings("Vantomere.ini", makeDefaultSettings());
    EXPECT_EQ(log_.messages(),
              Lines{"Unable to load from data file, please make sure it exists."});
    EXPECT_EQ(settingsStore(), makeDefaultSettings());
    EXPECT_TRUE(isSettingOn("AlternativeCamera") && isSettingOn("MeleeWeaponsGore") &&
                isSettingOn("CameraShakeOnShot"));
  }
  EXPECT_FALSE(std::filesystem::is_regular_file("Vantomere.ini")) << "never created";
}

TEST_F(SettingsLoaderTest, StartLineNamesTheFileAsItWasGiven) {
  std::filesystem::create_directory("sub");
  writeFile("sub/Other.ini", "MeleeWeaponsGore=0");
  loadSettings("./sub/Other.ini", makeDefaultSettings());
  EXPECT_EQ(log_.messages(),
            (Lines{"loading settings file: ./sub/Other.ini", "settings file loaded"}));
  EXPECT_FALSE(isSettingOn("MeleeWeaponsGore"));
}

TEST_F(SettingsLoaderTest, LongLinesAreReadWhole) {
  const std::string value(100000, '7');
  EXPECT_EQ(load("Long=" + value + "\n" + std::string(70000, 'x') + "\n"),
            Lines{cannotParse(std::string(70000, 'x'))});
  EXPECT_EQ(getSetting("Long"), value);
}

// Millions of "=" are millions of pieces; judging the line must not make
// them. What is allocated all told bounds what is held at once: the line as
// read, the log line made of it, and the recording sink's copy.
TEST_F(SettingsLoaderTest, ALineOfDelimitersIsOneBadLineInMemoryLikeItsSize) {
  const std::string line(4 << 20, '=');
  writeFile("Vantomere.ini", line + "\n");
  const std::size_t before = allocatedBytes();
  loadSettings("Vantomere.ini", makeDefaultSettings());
  const std::size_t allocated = allocatedBytes() - before;
  EXPECT_LT(allocated, 10 * line.size());
  EXPECT_EQ(log_.messages(), (Lines{"loading settings file: Vantomere.ini", cannotParse(line), "settings file loaded"}));
  EXPECT_EQ(settingsStore(), makeDefaultSettings());
}

}  // namespace
