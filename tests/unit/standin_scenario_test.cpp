#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include "base/game_text_hash.h"
#include "scenario/key_names.h"
#include "base/native_names.h"
#include "base/quoted_text.h"
#include "checks/expectations.h"
#include "scenario/scenario.h"
#include "host/standin_host.h"
#include "trace/trace.h"

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
  // Natives named by another test's names file would judge the out answers below.
  standin::forgetNativeNames();
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
  host.take(s);
  EXPECT_TRUE(host.isTextArgument(0x1234, 2));
  EXPECT_TRUE(host.isOutArgument(0x5678, 0));
  EXPECT_TRUE(host.isOutArgument(0x18A3E9EE1297FD39, 2)) << "an 'out' answer declares its argument";
  EXPECT_NE(host.answers().find(1, 0x096275889B8E0EE0, 0), nullptr);
  host.reset();
}

// Floats, answers by argument and key names. Of the lines that match a call a
// 'when' line wins, then one for certain frames, then one for every frame,
// the later among equals; 'then' counts the calls that matched its line.
TEST(ScenarioParser, ReadsFloatsAnswersByArgumentAndKeyNames) {
  const std::string names = ::testing::TempDir() + "/when.names";
  std::ofstream(names, std::ios::binary) << "0x7001 wind at (int, float) -> float\n0x7002 port (text, int) -> int\n"
                                         << "0x7003 steer (vector, float)\n";
  Scenario s = parse("names \"" + names + R"("
answer wind-at float 3.5
answer wind-at frames 2-3 float -2e-3
answer wind-at when 0=1001 float 0x40000000 then float 7
answer wind-at frame 2 when 1=35 0=1002 whole 5
answer wind-at frame 2 when 0=1002 int 6
answer port when 0="Port \"Vale\"" 1=0xFFFFFFFF int 4
key 2 F8
key 2 vk_space up
key 2 VK_0
key 2 a
key 2 Numpad7
key 2 ENTER
key 2 alt
key 2 VK_OEM_PLUS
key 2 7
expect call wind-at frame 1 1001 35
expect frame 2 wind-at 1002 -2e-3; wind-at 0x3E9 0x7FC00000; steer 1 -0 2.5 0.5; port "x" -1
)");
  auto& book = s.answers;
  const auto answer = [&](std::uint64_t frame, std::uint64_t native, std::size_t call, std::vector<std::uint64_t> args) {
    const Answer* found = book.answerCall(frame, native, call, args);
    return found ? found->slots[0] : 0xDEADull;
  };
  EXPECT_EQ(answer(1, 0x7001, 0, {1003, floatBits(1)}), floatBits(3.5f)) << "every frame";
  EXPECT_EQ(answer(1, 0x7001, 1, {1001, floatBits(1)}), 0x40000000u) << "the first call that matched";
  EXPECT_EQ(answer(1, 0x7001, 2, {1003, floatBits(1)}), floatBits(3.5f));
  EXPECT_EQ(answer(1, 0x7001, 3, {1001, floatBits(1)}), floatBits(7.0f)) << "the second call that matched";
  EXPECT_EQ(answer(1, 0x7001, 4, {1001, floatBits(1)}), floatBits(7.0f)) << "the last answer repeats";
  EXPECT_EQ(answer(2, 0x7001, 0, {1001, floatBits(1)}), 0x40000000u) << "counted again in each frame";
  EXPECT_EQ(answer(2, 0x7001, 1, {1002, floatBits(35)}), 6u) << "the later of two lines that match";
  EXPECT_EQ(answer(2, 0x7001, 2, {1002, floatBits(34)}), 6u);
  EXPECT_EQ(answer(3, 0x7001, 0, {1002, floatBits(35)}), floatBits(-2e-3f)) << "frame 2 alone";
  EXPECT_EQ(answer(2, 0x7001, 0, {}), floatBits(-2e-3f)) << "a call without the arguments matches no condition";
  const char port[] = "Port \"Vale\"", other[] = "Port Vale";
  const auto address = [](const char* text) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(text)); };
  EXPECT_EQ(answer(1, 0x7002, 0, {address(port), 0xFFFFFFFF}), 4u);
  EXPECT_EQ(answer(1, 0x7002, 0, {address(other), 0xFFFFFFFF}), 0xDEADu);
  EXPECT_EQ(answer(1, 0x7002, 0, {0, 0xFFFFFFFF}), 0xDEADu) << "a null text matches none";

  std::vector<std::uint32_t> codes;
  for (const auto& key : s.keys) codes.push_back(key.code);
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{0x77, 0x20, 0x30, 0x41, 0x67, 0x0D, 0x12, 0xBB, 7}));
  EXPECT_EQ(s.keys[1].isUpNow, 1);
  // A chaos run writes keys by the names it reads.
  std::size_t named = 0;
  for (std::uint32_t code = 0; code <= 0xFF; ++code) {
    const std::string name = standin::keyNameOf(code);
    std::uint32_t read = 0xFFFF;
    if (name.empty()) continue;
    ++named;
    EXPECT_TRUE(standin::keyCodeNamed(name, read) && read == code) << name;
  }
  EXPECT_GT(named, 150u);

  // Declared floats are decimals (the float nearest) or bits; vectors are three floats.
  using standin::hex;
  EXPECT_EQ(s.expectations.at(0).arguments, (std::vector<std::string>{hex(1001, 16), hex(floatBits(35), 16)}));
  const auto& calls = s.expectations.at(1).sequence;
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].arguments[1], hex(floatBits(-2e-3f), 16));
  EXPECT_EQ(calls[1].arguments, (std::vector<std::string>{hex(1001, 16), hex(0x7FC00000, 16)})) << "bits stay bits";
  EXPECT_EQ(calls[2].arguments, (std::vector<std::string>{hex(floatBits(1), 16), hex(0x80000000, 16),
                                                          hex(floatBits(2.5f), 16), hex(floatBits(0.5f), 16)}));
  EXPECT_EQ(calls[3].arguments[1], hex(~0ull, 16)) << "an int's decimal as before";
  EXPECT_EQ(errorOf("names \"" + names + "\"\nexpect call wind-at frame 1 1 1e99\n"),
            "scenario.txt:2: bad float argument '1e99': expected a finite decimal number such as -2.5e-3, or a bit "
            "pattern such as 0x3F800000");
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
      {"answer 0x10", "scenario.txt:2: missing answer (int, whole, float, vector, out or zero)"},
      {"answer 0x10 int 1 vector 1 2 3", "scenario.txt:2: an answer may hold only one of int, whole, float and vector"},
      {"answer 0x10 float 1 int 2", "scenario.txt:2: an answer may hold only one of int, whole, float and vector"},
      {"answer 0x10 float", "scenario.txt:2: missing value of 'float'"},
      {"answer 0x10 float inf", "scenario.txt:2: bad float value 'inf'"},
      {"answer 0x10 float 0x100000000", "scenario.txt:2: bad float value '0x100000000'"},
      {"answer 0x10 when int 1", "scenario.txt:2: missing condition I=V after 'when'"},
      {"answer 0x10 when 0= int 1", "scenario.txt:2: missing value after '0='"},
      {"answer 0x10 when 0=1 0=2 int 1", "scenario.txt:2: argument 0 tested twice"},
      {"answer 0x10 when 0=&5 int 1", "scenario.txt:2: a 'when' cannot test an out-variable: '0=&5'"},
      {"answer 0x10 when 64=1 int 1", "scenario.txt:2: bad argument index '64'"},
      {"answer 0x10 when x=1 int 1", "scenario.txt:2: bad argument index 'x'"},
      {"answer 0x10 when 0=\"open int 1", "scenario.txt:2: unterminated or badly escaped quoted text"},
      {"answer 0x10 when 0=\"a\\x00\" int 1", "scenario.txt:2: a text argument ends at its first NUL byte"},
      {"answer 0x10 when 0=1 \"x=y\" int 1", "scenario.txt:2: unexpected quoted text 'x=y'"},
      {"answer 0x10 when 0=1", "scenario.txt:2: missing answer"},
      {"answer 0x10 frames 2 when 0=zz int 1", "scenario.txt:2: bad argument 'zz'"},
      {"key 1 F25", "scenario.txt:2: unknown key name 'F25' (expected a key code such as 0x77, or a Windows"},
      {"key 1 VK_", "scenario.txt:2: unknown key name 'VK_'"},
      {"key 1 F08", "scenario.txt:2: unknown key name 'F08'"},
      {"key 1 NUMPAD10", "scenario.txt:2: unknown key name 'NUMPAD10'"},
      {"key 1 1x", "scenario.txt:2: bad key code '1x'"},
      {"key 1 \"A\"", "scenario.txt:2: bad key code 'A'"},
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
  // A frame has one list of calls in order: lists over the same frames are refused at the later line.
  EXPECT_EQ(errorOf("expect frames 1-10 0x10\nexpect frame 5 0x10\n"),
            "scenario.txt:2: the ordered calls of frame 5 overlap those of line 1 (frames 1-10): a frame has one list of calls");
  EXPECT_EQ(errorOf("expect frames 4- 0x10\nexpect frames 2-4 0x10\n"),
            "scenario.txt:2: the ordered calls of frames 2-4 overlap those of line 1 (frames 4-): a frame has one list of calls");
  EXPECT_EQ(errorOf("expect frame 3 0x10\nexpect frame 3 0x11\n").rfind("scenario.txt:2: the ordered calls of frame 3", 0), 0u);
  EXPECT_EQ(errorOf("expect frames 1-4 0x10\nexpect frames 5- nothing\n"), "(accepted)");
}

// An out answer writes through the argument: where a names file declares
// that argument as anything but out, its value is no address to write to.
TEST(ScenarioParser, RefusesAnOutAnswerForASlotDeclaredOtherwise) {
  const std::string path = ::testing::TempDir() + "/outs.names";
  std::ofstream(path, std::ios::binary) << "0x1234 aim (handle, out, text)\n";
  const std::string names = "names \"" + path + "\"\n";
  EXPECT_EQ(errorOf(names + "answer aim out 1 5\n"), "(accepted)");
  EXPECT_EQ(errorOf(names + "frames 3\nanswer aim frame 2 zero then out 0 5\n"),
            "scenario.txt:3: 'out 0' for aim (0x0000000000001234), whose argument 0 is declared handle (handle, out, text), "
            "not out: the host would write through a value that is no address");
  EXPECT_NE(errorOf(names + "answer aim out 2 5\n").find("whose argument 2 is declared text"), std::string::npos);
  EXPECT_NE(errorOf(names + "answer aim out 7 5\n").find("whose argument 7 is past its declared arguments"),
            std::string::npos);
  // Names read after the answer still judge it.
  EXPECT_NE(errorOf("answer 0x1234 out 0 5\n" + names).find("scenario.txt:1: 'out 0'"), std::string::npos);
}

TEST(ScenarioParser, RefusesWhenOnWhatItCannotTest) {
  // What a 'when' may test shows once every line that declares arguments is read.
  EXPECT_EQ(errorOf("answer 0x10 when 1=5 int 1\nanswer 0x10 out 1 7\n"),
            "scenario.txt:1: a 'when' on argument 1 of 0x0000000000000010, an out-variable the game writes: test the "
            "other arguments");
  EXPECT_EQ(errorOf("answer 0x10 when 0=\"a b\" int 1\n"),
            "scenario.txt:1: a text for argument 0 of 0x0000000000000010, which is not declared a text ('text-arg', or "
            "'text' in a names file)");
  EXPECT_EQ(errorOf("text-arg 0x10 0\n\nanswer 0x10 frame 2 when 0=5 int 1\n"),
            "scenario.txt:3: a number for argument 0 of 0x0000000000000010, which is a text: write the text quoted");
  EXPECT_EQ(errorOf("answer text-hash when 0=\"a b\" int 1\nanswer 0x10 when 0=5 1=hash(x) int 1\n"), "(accepted)");
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

std::vector<std::string> failuresOf(const std::string& scenario, const std::string& trace, std::size_t* met = nullptr) {
  const Scenario s = parse("frames 20\nnames \"" + kVantomereNames + "\"\n" + scenario);
  standin::ExpectationCheck check(s.expectations, "s.scn");
  std::istringstream in(trace);
  for (const auto& event : standin::readTrace(in)) check.see(event);
  if (met) *met = check.metCount(::testing::TempDir());
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
    std::size_t met = 0;
    const auto failures = failuresOf(c.expectation + "\n", trace, &met);
    EXPECT_EQ(failures, !c.failure.empty() ? std::vector<std::string>{c.failure} : std::vector<std::string>{})
        << c.expectation;
    // What a passing session says it proved: each expectation that held, once.
    EXPECT_EQ(met, c.failure.empty() ? 1u : 0u) << c.expectation;
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

// Replays name their folders from where they lie, so that they move with them.
TEST(ScenarioFolder, RelativePathsFromOneFolderToAnother) {
  const struct {
    const char* folder;
    const char* path;
    const char* relative;
  } cases[] = {
      {"/a/b", "/a/b/c/d.names", "c/d.names"},      {"/a/b/", "/a/x", "../x"},
      {"/a/b", "/a/b", "."},                        {"/a/./b/../c", "/a/c/d", "d"},
      {"Z:\\s\\out\\", "Z:\\s\\game", "../game"}, {"z:\\s", "Z:\\s\\t.names", "t.names"},
      {"C:\\s", "Z:\\s\\t.names", "Z:\\s\\t.names"}, {"/a", "game", "game"},
      {"/", "/a/b", "a/b"},                         {"/a/b", "/", "../.."},
  };
  for (const auto& c : cases) EXPECT_EQ(standin::relativePath(c.folder, c.path), c.relative) << c.folder << " " << c.path;
}

}  // namespace
