#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "game_text_hash.h"
#include "native_names.h"
#include "scenario.h"
#include "standin_host.h"
#include "trace.h"

namespace {

using standin::Answer;
using standin::parseScenario;
using standin::Scenario;
using standin::ScenarioError;

Scenario parse(const std::string& text) {
  std::istringstream in(text);
  return parseScenario(in, "scenario.txt");
}

std::string errorOf(const std::string& text) {
  try {
    parse(text);
  } catch (const ScenarioError& error) {
    return error.what();
  }
  return "(accepted)";
}

std::uint32_t floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(ScenarioParser, ReadsEveryDirective) {
  const Scenario s = parse(R"(# a session
frames 0x14            # twenty
folder "game dir"
answer 0x096275889B8E0EE0 int -7
answer 0x3A87E44BB9A01D54 out 1 hash(weapon_unarmed)
answer 0x18A3E9EE1297FD39 frames 3-5 int 42 then int 0
answer 0x18A3E9EE1297FD39 frame 4 whole 0xFFFFFFFF80000001 out 2 -1
answer 0x17C07FC640E86B4E frames 10- vector 1.5 -2 0x7FC00001
answer 0x10 zero then int 1
key 3 0x52
key 2 0x45 up alt=1 repeats=3 scan=0x1F extended=1
key 2 0x46 was-down=-1
text-arg 0x1234 2
out-arg 0x5678 0
cap calls-per-frame 500
fps 30
cap frames 1000
cap stall-ms 2500
chaos keep 0x10        # for chaos runs alone
)");
  EXPECT_EQ(s.frames, 20u);
  EXPECT_EQ(s.folder, "game dir");
  EXPECT_EQ(s.caps.callsPerFrame, 500u);
  EXPECT_EQ(s.fps, 30u);
  EXPECT_EQ(s.caps.frames, 1000u);
  EXPECT_EQ(s.caps.stallMs, 2500u);

  const auto& book = s.answers;
  EXPECT_EQ(book.find(1, 0x096275889B8E0EE0, 0)->slots[0], 0xFFFFFFF9u) << "32 bits, upper half zero";
  const Answer* weapon = book.find(9, 0x3A87E44BB9A01D54, 3);
  ASSERT_EQ(weapon->outWrites.size(), 1u);
  EXPECT_EQ(weapon->outWrites[0], std::make_pair(1u, standin::gameTextHash("weapon_unarmed")));

  // Frames 3 and 5 play the sequence; frame 4 was set later and wins; 2 and 6 have nothing.
  EXPECT_EQ(book.find(3, 0x18A3E9EE1297FD39, 0)->slots[0], 42u);
  EXPECT_EQ(book.find(5, 0x18A3E9EE1297FD39, 1)->slots[0], 0u);
  EXPECT_EQ(book.find(5, 0x18A3E9EE1297FD39, 9)->slots[0], 0u) << "the last answer repeats";
  const Answer* frame4 = book.find(4, 0x18A3E9EE1297FD39, 5);
  EXPECT_EQ(frame4->slots[0], 0xFFFFFFFF80000001ull);
  EXPECT_EQ(frame4->outWrites[0], std::make_pair(2u, 0xFFFFFFFFu));
  EXPECT_EQ(book.find(2, 0x18A3E9EE1297FD39, 0), nullptr);
  EXPECT_EQ(book.find(6, 0x18A3E9EE1297FD39, 0), nullptr);

  EXPECT_EQ(book.find(9, 0x17C07FC640E86B4E, 0), nullptr);
  const Answer* vector = book.find(1000000, 0x17C07FC640E86B4E, 0);
  ASSERT_NE(vector, nullptr);
  EXPECT_EQ(vector->slots[0], floatBits(1.5f));
  EXPECT_EQ(vector->slots[1], floatBits(-2.0f));
  EXPECT_EQ(vector->slots[2], 0x7FC00001u) << "hex components are bit patterns";
  EXPECT_EQ(book.find(1, 0x10, 0)->slots[0], 0u);
  EXPECT_EQ(book.find(1, 0x10, 1)->slots[0], 1u);

  // Keys by frame, those of one frame in the order written.
  ASSERT_EQ(s.keys.size(), 3u);
  EXPECT_EQ(s.keys[0].code, 0x45u);
  EXPECT_EQ(s.keys[0].repeats, 3);
  EXPECT_EQ(s.keys[0].scanCode, 0x1F);
  EXPECT_EQ(s.keys[0].isExtended, 1);
  EXPECT_EQ(s.keys[0].isWithAlt, 1);
  EXPECT_EQ(s.keys[0].wasDownBefore, 1);
  EXPECT_EQ(s.keys[0].isUpNow, 1);
  EXPECT_EQ(s.keys[1].code, 0x46u);
  EXPECT_EQ(s.keys[1].wasDownBefore, -1);
  EXPECT_EQ(s.keys[2].frame, 3u);
  EXPECT_EQ(s.keys[2].repeats, 1) << "a key press by default";
  EXPECT_EQ(s.keys[2].wasDownBefore, 0);
  EXPECT_EQ(s.keys[2].isUpNow, 0);

  auto& host = standin::StandinHost::instance();
  host.reset();
  s.applyTo(host);
  EXPECT_TRUE(host.isTextArgument(0x1234, 2));
  EXPECT_TRUE(host.isOutArgument(0x5678, 0));
  EXPECT_TRUE(host.isOutArgument(0x18A3E9EE1297FD39, 2)) << "an 'out' answer declares its argument";
  EXPECT_NE(host.answers().find(1, 0x096275889B8E0EE0, 0), nullptr);
  host.reset();
}

TEST(ScenarioParser, DefaultsKeepASessionShortAndCapped) {
  const Scenario s = parse("");
  EXPECT_EQ(s.frames, 10u);
  EXPECT_TRUE(s.folder.empty());
  EXPECT_TRUE(s.keys.empty());
  EXPECT_EQ(s.caps.callsPerFrame, 10000u);
  EXPECT_EQ(s.fps, 60u);
  EXPECT_EQ(s.caps.frames, 100000u);
  EXPECT_EQ(s.caps.stallMs, 10000u);
}

// Each bad line stands on line 2, after a comment line.
TEST(ScenarioParser, RefusesBadLinesNamingTheLine) {
  const struct {
    std::string line;  // may hold a NUL byte
    const char* message;
  } cases[] = {
      {"answer 0x10 foo 1", "scenario.txt:2: unknown answer kind 'foo'"},
      {"bogus 1", "scenario.txt:2: unknown directive 'bogus'"},
      {"frames 0", "scenario.txt:2: frames are numbered from 1"},
      {"frames ten", "scenario.txt:2: bad frame 'ten'"},
      {"frames 3 4", "scenario.txt:2: unexpected '4'"},
      {"frames -3", "scenario.txt:2: bad frame '-3'"},
      {"answer 0x10 int", "scenario.txt:2: missing value of 'int'"},
      {"answer 0x10", "scenario.txt:2: missing answer (int, whole, vector, out or zero)"},
      {"answer 0x10 int 1 vector 1 2 3", "scenario.txt:2: an answer may hold only one of int, whole and vector"},
      {"answer 0x10 int 0x100000000", "scenario.txt:2: bad int value '0x100000000'"},
      {"answer 0x10 int -2147483649", "scenario.txt:2: bad int value '-2147483649'"},
      {"answer 0x10 whole 18446744073709551616", "scenario.txt:2: bad whole value"},
      {"answer 0x10 frames 5-3 int 1", "scenario.txt:2: frame range '5-3' ends before it starts"},
      {"answer 0x10 frames 0-3 int 1", "scenario.txt:2: frames are numbered from 1"},
      {"answer 0x10 frames int 1", "scenario.txt:2: bad frame 'int'"},
      {"answer 0x10 int 1 then", "scenario.txt:2: missing answer"},
      {"answer 0x10 zero int 1", "scenario.txt:2: unexpected 'int' after 'zero'"},
      {"answer 0x10 vector 1 2 nan", "scenario.txt:2: bad vector component 'nan'"},
      {"answer 0x10 vector 1 2 1e99", "scenario.txt:2: bad vector component '1e99'"},
      {"answer 0x10 vector 1 2", "scenario.txt:2: missing x, y and z of 'vector'"},
      {"answer 0x10 out 64 1", "scenario.txt:2: bad argument index '64'"},
      {"answer 0x10 int +1", "scenario.txt:2: bad int value '+1'"},
      {"key 1 0x41 bogus=1", "scenario.txt:2: unknown key field 'bogus'"},
      {"key 1 0x41 sideways", "scenario.txt:2: unknown key field 'sideways'"},
      {"key 1 0x41 repeats=70000", "scenario.txt:2: bad repeats '70000'"},
      {"key 1", "scenario.txt:2: missing key code"},
      {"folder \"game", "scenario.txt:2: unterminated or badly escaped quoted text"},
      {"folder", "scenario.txt:2: missing working folder"},
      {"folder a b", "scenario.txt:2: unexpected 'b'"},
      {"cap calls-per-frame 0", "scenario.txt:2: a cap must be at least 1"},
      {"cap speed 3", "scenario.txt:2: unknown cap 'speed'"},
      {"cap stall-ms 600001", "scenario.txt:2: bad cap '600001'"},
      {"cap waits-per-frame 5", "scenario.txt:2: unknown cap 'waits-per-frame'"},
      {"fps 0", "scenario.txt:2: fps must be at least 1"},
      {"fps 1001", "scenario.txt:2: bad fps '1001': largest allowed is 1000"},
      {"text-arg 0x10", "scenario.txt:2: missing argument index"},
      {"\"answer\" 0x10 int 1", "scenario.txt:2: a line must start with a directive"},
      {"expect", "scenario.txt:2: missing kind of expectation"},
      {"expect sometimes 0x10", "scenario.txt:2: unknown expectation 'sometimes'"},
      {"expect calls nobody 1", "scenario.txt:2: unknown native 'nobody'"},
      {"expect calls 0x10", "scenario.txt:2: missing number of calls"},
      {"expect calls 0x10 1 frames 5-3", "scenario.txt:2: frame range '5-3' ends before it starts"},
      {"expect calls 0x10 1 soon", "scenario.txt:2: unexpected 'soon'"},
      {"expect no-call 0x10 frames 1-2 3", "scenario.txt:2: unexpected '3'"},
      {"expect call 0x10 2", "scenario.txt:2: missing 'frame F'"},
      {"expect call 0x10 frame 2 &zz", "scenario.txt:2: bad argument 'zz'"},
      {"expect line Log.log", "scenario.txt:2: missing text of the line"},
      {"expect no-reload-loss soon", "scenario.txt:2: unexpected 'soon'"},
      {"expect frame 2 0x10; ; 0x11", "scenario.txt:2: a ';' with no call before it"},
      {"expect frames 2-3", "scenario.txt:2: missing calls (or 'nothing') after the frames"},
      {"expect frame 2 0x10;", "scenario.txt:2: a ';' with no call after it"},
      {"b\x1B[2Jx\xFF 1", "scenario.txt:2: unknown directive 'b\\x1B[2Jx\\xFF'"},
      {std::string("answer 0x10 vector 1.5\0garbage 2 3", 34), "scenario.txt:2: a NUL byte in '1.5\\x00garbage'"},
      {"allow NO-SUCH-RULE", "scenario.txt:2: unknown rule 'NO-SUCH-RULE' (expected one of CALL-WITHOUT-INIT, "},
      {"expect calls text-hash x", "scenario.txt:2: bad number of calls 'x'"},
  };
  for (const auto& c : cases) {
    const std::string error = errorOf(std::string("# comment\n") + c.line + "\n");
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.line << "\n  gave: " << error;
  }
}

TEST(ScenarioParser, RefusesWhatOnlyTheWholeFileShows) {
  EXPECT_EQ(errorOf("frames 3\n\nframes 4\n"), "scenario.txt:3: 'frames' given twice (first on line 1)");
  EXPECT_EQ(errorOf("frames 5\nkey 6 0x41\nkey 5 0x42\n"),
            "scenario.txt:2: key message for frame 6, but the session has only 5 frames");
  EXPECT_EQ(errorOf("key 11 0x41\n"), "scenario.txt:1: key message for frame 11, but the session has only 10 frames");
  EXPECT_EQ(errorOf("frames 200000\n"),
            "scenario.txt:1: 200000 frames is more than the cap of 100000 (raise it with 'cap frames N')");
  EXPECT_EQ(errorOf("cap frames 5\n"),
            "scenario.txt:1: 10 frames is more than the cap of 5 (raise it with 'cap frames N')");
  EXPECT_EQ(errorOf("cap frames 200000\nframes 200000\n"), "(accepted)");
}

TEST(ScenarioParser, GarbageIsRefusedNeverMisread) {
  std::mt19937 random(12345);
  const std::string words[] = {"answer", "key", "frames", "0x10", "int", "vector", "then", "out",
                               "1-", "\"", "#", "-", "=", "cap", "zero", "\\x", "\xFF", "\0"};
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    for (int i = random() % 8; i > 0; --i) line += words[random() % std::size(words)] + " ";
    for (int i = random() % 4; i > 0; --i) line += static_cast<char>(random() % 256);
    try {
      parse(line + "\n");
    } catch (const ScenarioError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("scenario.txt:1: ", 0), 0u) << error.what();
    }
  }
}

// Expectations against a session told as trace lines: the messages of those that fail.
const std::string kVantomereNames = std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/tests/")) +
                                    "/standin/names/vantomere.names";

std::vector<std::string> failuresOf(const std::string& scenario, const std::string& trace) {
  const Scenario s = parse("frames 20\nnames \"" + kVantomereNames + "\"\n" + scenario);
  standin::ExpectationCheck check(s.expectations, "s.scn");
  std::istringstream in(trace);
  for (const auto& event : standin::readTrace(in)) check.see(event);
  return check.failures(::testing::TempDir());
}

TEST(Expectations, EachFailureNamesItsLineWhatWasExpectedAndWhatHappened) {
  const std::string trace =
      "1 wait 500\n"
      "2 call 0x0000000000000010 0x0000000000000001 \"a b\" & &0x00000005\n"
      "2 call 0x867654CBC7606F2C\n"
      "4 call 0x0000000000000010 0x0000000000000002 \"c\" & &0x00000006\n"
      "4 call 0x0000000000000010\n"
      "9 call 0x867654CBC7606F2C\n";
  std::ofstream(::testing::TempDir() + "/expect-log.txt", std::ios::binary)
      << "[7/12/2026 10:0:0] settings file loaded\r\nlast line without an end";
  const struct {
    std::string expectation;
    std::string failure;  // empty: it holds
  } cases[] = {
      {"expect calls 0x10 3", ""},
      {"expect calls 0x10 2 frames 3-", ""},
      {"expect calls gore-shot 1 frames 1-5", ""},
      {"expect calls \"gore shot\" 3", "s.scn:3: expected 3 calls of gore shot (0x867654CBC7606F2C), got 2 (in frames 2, 9)"},
      {"expect calls 0x10 0 frames 4", "s.scn:3: expected 0 calls of 0x0000000000000010 in frame 4, got 2 (in frame 4)"},
      {"expect no-call gore_shot frames 3-8", ""},
      {"expect no-call 0x867654CBC7606F2C frames 5-", "s.scn:3: expected no call of gore shot (0x867654CBC7606F2C) from frame 5 on, got 1 (in frame 9)"},
      {"expect call 0x10 frame 2", ""},
      {"expect call 0x10 frame 2 1 \"a b\" & &5", ""},
      {"expect call 0x10 frame 4 0x0000000000000002 \"c\" & &0x00000006", ""},
      {"expect call 0x10 frame 4 2 \"c\" & &7",
       "s.scn:3: expected a call of 0x0000000000000010 in frame 4 with 0x0000000000000002 \"c\" & &0x00000007, got 2 "
       "with other arguments (the first: 0x0000000000000002 \"c\" & &0x00000006)"},
      {"expect call 0x10 frame 3", "s.scn:3: expected a call of 0x0000000000000010 in frame 3, got none there (it was called in frames 2, 4)"},
      {"expect call player-character frame 3", "s.scn:3: expected a call of player character (0x096275889B8E0EE0) in frame 3, but it was never called"},
      {"expect line expect-log.txt \"* settings file loaded\"", ""},
      {"expect line expect-log.txt \"last line without an end\"", ""},
      {"expect line expect-log.txt settings", "s.scn:3: expected a line \"settings\" in expect-log.txt, but none of its 2 lines matches"},
      {"expect line no-such.txt x", "s.scn:3: expected a line \"x\" in no-such.txt, but there is no such file"},
      // Ordered lists, as replays write them: every call of each frame.
      {"expect frame 2 0x10 1 \"a b\" & &5; gore-shot", ""},
      {"expect frames 5-8 nothing", ""},
      {"expect frame 2 0x10 1 \"" + std::string(100, 'x') + "\" & &5; gore-shot",
       "s.scn:3: frame 2, call 1 of 2, 0x0000000000000010: argument 1 expected \"" + std::string(79, 'x') +
           "...(102 bytes), got \"a b\""},
      {"expect frame 4 0x10 2 \"d\" & &6; 0x10",
       "s.scn:3: frame 4, call 1 of 2, 0x0000000000000010: argument 1 expected \"d\", got \"c\""},
      {"expect frame 2 gore-shot ; 0x10 1 \"a b\" & &5",
       "s.scn:3: frame 2, call 1 of 2, expected gore shot (0x867654CBC7606F2C), got 0x0000000000000010 "
       "0x0000000000000001 \"a b\" & &0x00000005"},
      {"expect frame 4 0x10; 0x10",
       "s.scn:3: frame 4, call 1 of 2, 0x0000000000000010: expected 0 arguments (), got 4 (0x0000000000000002 \"c\" & "
       "&0x00000006)"},
      {"expect frame 9 gore-shot; gore-shot",
       "s.scn:3: frame 9, call 2: expected gore shot (0x867654CBC7606F2C), got no more calls (1 of 2)"},
      {"expect frame 2 0x10 1 \"a b\" & &5",
       "s.scn:3: frame 2, call 2 of 1: got one more, gore shot (0x867654CBC7606F2C)"},
      {"expect frames 2-3 0x10 1 \"a b\" & &5; gore-shot",
       "s.scn:3: frame 3, call 1: expected 0x0000000000000010 0x0000000000000001 \"a b\" & &0x00000005, got no call in "
       "the frame"},
      {"expect frames 3-9 nothing",
       "s.scn:3: frame 4, call 1 of 0: got one more, 0x0000000000000010 0x0000000000000002 \"c\" & &0x00000006 (and 1 "
       "more frames of the line differ)"},
  };
  for (const auto& c : cases) {
    const auto failures = failuresOf(c.expectation + "\n", trace);
    EXPECT_EQ(failures, !c.failure.empty() ? std::vector<std::string>{c.failure} : std::vector<std::string>{})
        << c.expectation;
  }
  EXPECT_EQ(errorOf("frames 5\nexpect call 0x10 frame 6\n"),
            "scenario.txt:2: expectation for frame 6, but the session has only 5 frames");
}

TEST(NamesFile, NamesNativesForLaterLinesAndRefusesBadLines) {
  const std::string path = ::testing::TempDir() + "/test.names";
  std::ofstream(path, std::ios::binary) << "# mine\n0x1234 my native   # a comment\n\n0xABCD \"quoted  name\"\n";
  const Scenario s = parse("names \"" + path + "\"\nanswer my-native int 3\nexpect calls my_native 1\n");
  EXPECT_EQ(s.namesFiles, std::vector<std::string>{path});
  EXPECT_EQ(s.answers.find(1, 0x1234, 0)->slots[0], 3u);
  EXPECT_EQ(s.expectations.at(0).native, 0x1234u);
  EXPECT_EQ(standin::nativeWords(0xABCD), "quoted  name (0x000000000000ABCD)");
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"1234 plain", "test.names:2: expected a hash such as 0x867654CBC7606F2C, not '1234'"},
      {"0x1234", "test.names:2: missing name after 0x1234"},
      {"0xZZ name", "test.names:2: bad native hash '0xZZ'"},
      {"0x1234 2nd native", "test.names:2: a name must not start like a number: '2nd native'"},
      {"0x0 nothing", "test.names:2: no native has the hash 0x0"},
      {"0x9999 text-hash", "test.names:2: the name 'text-hash' is given to 0xFD340785ADF8CFB7 already (the stand-in's own name)"},
      {"0x1234 name (int, string)", "test.names:2: unknown parameter kind 'string'"},
      {"0x1234 name (int) -> text", "test.names:2: unknown result kind 'text'"},
      {"0x1234 name (int", "test.names:2: missing ')' after the parameters"},
      {"0x1234 name (int) bool", "test.names:2: unexpected 'bool' after the parameters (expected '-> KIND')"},
      {"0x1234 name (vector, vector, vector, vector, vector, vector, vector, vector, vector, vector, vector, vector, "
       "vector, vector, vector, vector, vector, vector, vector, vector, vector, vector)",
       "test.names:2: 66 argument slots, more than a call holds (64)"},
      {"0x1234 \"bell\\x07\"", "test.names:2: a name holds printable characters only, not 'bell\\x07'"},
  };
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary) << "# line 1\n" << c.line << "\n";
    const std::string error = errorOf("names \"" + path + "\"\n");
    EXPECT_EQ(error.substr(error.find("test.names")).rfind(c.message, 0), 0u) << c.line << "\n  gave: " << error;
  }
  EXPECT_EQ(errorOf("frames 2\nnames no-such.names\n"), "scenario.txt:2: cannot open the names file 'no-such.names'");
}

// One name for two natives is refused wherever the two lines are, naming
// both; parameters declared are kept by slot; the text hash needs no file.
TEST(NamesFile, NamesAreUniqueAndDeclarationsKeptBySlot) {
  const std::string first = ::testing::TempDir() + "/first.names", second = ::testing::TempDir() + "/second.names";
  std::ofstream(first, std::ios::binary) << "0x1111 shoot (handle, vector, text, out) -> bool\n0x1112 fire now\n";
  std::ofstream(second, std::ios::binary) << "# the other file\n0x2222 shoot\n";
  EXPECT_EQ(errorOf("names \"" + first + "\"\nnames \"" + second + "\"\n"),
            second + ":2: the name 'shoot' is given to 0x0000000000001111 already (" + first + ":1)");
  std::ofstream(second, std::ios::binary) << "0x2222 fire-now\n";
  EXPECT_EQ(errorOf("names \"" + second + "\"\n"),
            second + ":1: the name 'fire-now' is given to 0x0000000000001112 already (" + first + ":2)");
  const auto* shoot = standin::nativeSignature(0x1111);
  ASSERT_NE(shoot, nullptr);
  using K = standin::ValueKind;
  EXPECT_EQ(shoot->slots, (std::vector<K>{K::Handle, K::Vector, K::Vector, K::Vector, K::Text, K::Out}));
  EXPECT_EQ(shoot->result, K::Bool);
  EXPECT_EQ(shoot->declaration, "(handle, vector, text, out) -> bool");
  EXPECT_EQ(parse("expect calls text-hash 1\n").expectations.at(0).native, standin::kTextHashNative);
  // A long word is cut in the message, which stays one short line.
  const std::string error = errorOf("frames " + std::string(100000, '7') + "\n");
  EXPECT_LT(error.size(), 300u) << error;
  EXPECT_NE(error.find("(100000 bytes)"), std::string::npos) << error;
}

TEST(Expectations, StarsInALineStandForAnyText) {
  using standin::matchesLine;
  EXPECT_TRUE(matchesLine("a*c", "abbbc"));
  EXPECT_TRUE(matchesLine("*", ""));
  EXPECT_TRUE(matchesLine("a**b*", "aXbYb"));
  EXPECT_FALSE(matchesLine("a*c", "abcd"));
  EXPECT_FALSE(matchesLine("abc", "ab"));
  EXPECT_FALSE(matchesLine("", "a"));
}

TEST(GameClock, AWaitResumesInTheFirstFrameThatBeginsLateEnough) {
  const struct {
    std::uint32_t fps;
    std::uint64_t frame;
    std::uint32_t ms;
    std::uint64_t wake;
  } cases[] = {
      {60, 1, 0, 2},   {60, 1, 1, 2},    {60, 1, 16, 2},  {60, 1, 17, 3},  {60, 1, 50, 4},
      {60, 4, 50, 7},  {60, 1, 500, 31}, {60, 32, 700, 74}, {60, 74, 80, 79}, {30, 1, 50, 3},
      {1, 1, 999, 2},  {1, 1, 1001, 3},  {1000, 5, 0, 6}, {1000, 5, 3, 8},  {60, 1, 0xFFFFFFFF, 257698039},
  };
  for (const auto& c : cases)
    EXPECT_EQ(standin::GameClock(c.fps).wakeFrame(c.frame, c.ms), c.wake)
        << c.fps << " fps, " << c.ms << " ms in frame " << c.frame;
  // Whole numbers all the way: frame 100001 begins exactly 100000 frames in.
  EXPECT_EQ(standin::GameClock(60).beginMs(100001), 1666666u);
  EXPECT_EQ(standin::GameClock(7).beginMs(100001), 14285714u);
  std::uint64_t frame = 1;
  for (int i = 0; i < 100000; ++i) frame = standin::GameClock(60).wakeFrame(frame, 50);
  EXPECT_EQ(frame, 300001u) << "50 ms is three frames, every time";
}

TEST(ScenarioFolder, RelativeFoldersHangBelowTheScenarioFile) {
  using standin::resolveWorkingFolder;
  EXPECT_EQ(resolveWorkingFolder("/tmp/s/scenario.txt", ""), "/tmp/s/");
  EXPECT_EQ(resolveWorkingFolder("/tmp/s/scenario.txt", "game"), "/tmp/s/game");
  EXPECT_EQ(resolveWorkingFolder("Z:\\s\\scenario.txt", "game"), "Z:\\s\\game");
  EXPECT_EQ(resolveWorkingFolder("scenario.txt", "game"), "game");
  EXPECT_EQ(resolveWorkingFolder("scenario.txt", ""), ".");
  EXPECT_EQ(resolveWorkingFolder("/tmp/s/scenario.txt", "/srv/game"), "/srv/game");
  EXPECT_EQ(resolveWorkingFolder("/tmp/s/scenario.txt", "C:\\game"), "C:\\game");
}

}  // namespace
