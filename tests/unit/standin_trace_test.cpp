#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/float_text.h"
#include "base/game_text_hash.h"
#include "base/quoted_text.h"
#include "scenario/scenario.h"
#include "base/native_names.h"
#include "trace/scenario_from_trace.h"
#include "trace/short_view.h"
#include "trace/trace.h"

namespace {

using standin::EventKind;
using standin::HostEvent;

HostEvent event(EventKind kind, std::uint64_t frame) {
  HostEvent e;
  e.kind = kind;
  e.frame = frame;
  return e;
}

const void* const kModule = reinterpret_cast<const void*>(0x180000000ull);
const void* const kHandler = reinterpret_cast<const void*>(0x180001234ull);

// One of every kind of line, with the awkward cases of each.
std::vector<HostEvent> session() {
  std::vector<HostEvent> events;
  auto load = event(EventKind::Load, 1);
  load.detail = "Vantomere.asi";
  events.push_back(load);
  auto reg = event(EventKind::ScriptRegister, 1);
  reg.pointer = kModule;
  events.push_back(reg);
  auto keyReg = event(EventKind::KeyboardRegister, 1);
  keyReg.pointer = kHandler;
  events.push_back(keyReg);
  auto key = event(EventKind::Key, 1);
  key.args = {0x52, 1, 0x13, 0, 0xFFFFFFFF, 1, 0x80000000};
  key.detail = "no handler";
  events.push_back(key);
  auto wait = event(EventKind::Wait, 1);
  wait.waitMs = 500;
  events.push_back(wait);
  auto hash = event(EventKind::Call, 1);
  hash.hash = 0xFD340785ADF8CFB7;
  hash.args = {0x7FF700001000};
  hash.texts[0] = "say \"hi\"\\\n\t\x01\xE9";
  hash.results[0] = 0xA2719263;
  events.push_back(hash);
  auto weapon = event(EventKind::Call, 1);
  weapon.hash = 0x3A87E44BB9A01D54;
  weapon.args = {0xFFFFFFFF, 0x22FE10, 0, 0x22FE14};
  weapon.outArgs = {1, 3};
  weapon.outWritten[1] = 0x28950C71;
  events.push_back(weapon);
  auto vector = event(EventKind::Call, 2);
  vector.hash = 0x2412D9C05BB09B97;
  vector.results[0] = 0x3FC00000;
  vector.results[2] = 0xFFFFFFFF3F800000;
  events.push_back(vector);
  auto misuse = event(EventKind::Misuse, 2);
  misuse.detail = "native call outside the script";
  events.push_back(misuse);
  auto stop = event(EventKind::Stop, 2);
  stop.detail = "plug-in made more than 10 native calls without waiting";
  events.push_back(stop);
  events.push_back(event(EventKind::Unload, 3));
  auto unreg = event(EventKind::ScriptUnregister, 3);
  unreg.pointer = nullptr;
  events.push_back(unreg);
  auto keyUnreg = event(EventKind::KeyboardUnregister, 3);
  keyUnreg.pointer = kHandler;
  events.push_back(keyUnreg);
  auto debug = event(EventKind::Debug, 3);
  debug.detail = "bye \"there\"\r";
  events.push_back(debug);
  return events;
}

std::string write(const std::vector<HostEvent>& events) {
  std::ostringstream out;
  standin::TraceWriter(out, kModule).writeAll(events);
  return out.str();
}

std::vector<HostEvent> read(const std::string& text) {
  std::istringstream in(text);
  return standin::readTrace(in);
}

TEST(TraceWriter, WritesOneStableLinePerEvent) {
  EXPECT_EQ(write(session()),
            "1 load \"Vantomere.asi\"\n"
            "1 scriptRegister self\n"
            "1 keyboardHandlerRegister\n"
            "1 key 0x00000052 repeats=1 scan=19 extended=0 alt=-1 was-down=1 up-now=-2147483648 no-handler\n"
            "1 wait 500\n"
            "1 call 0xFD340785ADF8CFB7 \"say \\\"hi\\\"\\\\\\n\\t\\x01\\xE9\" -> 0x00000000A2719263\n"
            "1 call 0x3A87E44BB9A01D54 0x00000000FFFFFFFF &0x28950C71 0x0000000000000000 &\n"
            "2 call 0x2412D9C05BB09B97 -> 0x000000003FC00000 0x0000000000000000 0xFFFFFFFF3F800000\n"
            "2 misuse \"native call outside the script\"\n"
            "2 stop \"plug-in made more than 10 native calls without waiting\"\n"
            "3 unload\n"
            "3 scriptUnregister other\n"
            "3 keyboardHandlerUnregister registered\n"
            "3 debug \"bye \\\"there\\\"\\r\"\n");
}

TEST(TraceReader, ReadsBackWhatTheWriterWrote) {
  const std::string text = write(session());
  const auto events = read(text);
  EXPECT_EQ(write(events), text);

  const auto original = session();
  ASSERT_EQ(events.size(), original.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, original[i].kind) << i;
    EXPECT_EQ(events[i].frame, original[i].frame) << i;
  }
  EXPECT_EQ(events[1].detail, "self");
  EXPECT_EQ(events[3].args, original[3].args);
  EXPECT_EQ(events[3].detail, "no handler");
  EXPECT_EQ(events[4].waitMs, 500u);
  EXPECT_EQ(events[5].texts.at(0), original[5].texts.at(0));
  EXPECT_EQ(events[5].results[0], 0xA2719263u);
  // Addresses do not survive the trace: only which arguments were addresses.
  EXPECT_EQ(events[6].args, (std::vector<std::uint64_t>{0xFFFFFFFF, 0, 0, 0}));
  EXPECT_EQ(events[6].outArgs, (std::set<unsigned>{1, 3}));
  EXPECT_EQ(events[6].outWritten.at(1), 0x28950C71u);
  EXPECT_EQ(events[7].results[2], 0xFFFFFFFF3F800000ull);
  EXPECT_EQ(events[9].detail, original[9].detail);
  EXPECT_EQ(events[11].detail, "other");
}

TEST(TraceReader, SkipsBlankAndCommentLinesAndAcceptsCarriageReturns) {
  const auto events = read("# a trace\n\n1 wait 0\r\n2 call 0x0000000000000001\r\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].hash, 1u);
  EXPECT_EQ(events[1].frame, 2u);
}

TEST(TraceReader, RefusesBadLinesNamingTheLine) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"x wait 0", "line 2: bad frame number 'x'"},
      {"1 jump", "line 2: unknown event 'jump'"},
      {"1 wait", "line 2: missing milliseconds"},
      {"1 wait 0 0", "line 2: unexpected '0'"},
      {"1 call", "line 2: missing native hash"},
      {"1 call 0x1 ->", "line 2: missing result"},
      {"1 call 0x1 -> 0x1 0x2", "line 2: missing third result slot"},
      {"1 call 0x1 &zz", "line 2: bad written value 'zz'"},
      {"1 call 0x1 \"open", "line 2: unterminated or badly escaped quoted text"},
      {"1 scriptRegister maybe", "line 2: unexpected 'maybe'"},
      {"1 key 0x41 repeats=1", "line 2: missing scan="},
      {"1 key 0x41 repeats=1 scan=0 extended=0 alt=0 was-down=0 down=0", "line 2: expected up-now=N"},
      {"1 load Vantomere.asi", "line 2: expected a quoted text"},
      {"1 key 0x41 repeats=70000 scan=0 extended=0 alt=0 was-down=0 up-now=0", "line 2: bad repeats= '70000'"},
      {"1 key 0x41 repeats=1 scan=300 extended=0 alt=0 was-down=0 up-now=0", "line 2: bad scan= '300'"},
  };
  for (const auto& c : cases) {
    try {
      read(std::string("1 wait 0\n") + c.line + "\n");
      ADD_FAILURE() << c.line << " was accepted";
    } catch (const standin::TraceError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u) << c.line << "\n  gave: " << error.what();
    }
  }
}

// A session at 30 frames a second (its 50 ms wait lasts two frames) with a
// reload, keys, every kind of answer, a call from the keyboard handler and a
// stop at the cap on calls.
TEST(ScenarioFromTrace, AnswersExpectsAndPlaysAsTheTraceShows) {
  const std::string abc = standin::hex(standin::gameTextHash("abc"), 16);
  const std::string trace =
      "1 load \"P.asi\"\n1 scriptRegister self\n1 keyboardHandlerRegister\n"
      "1 key 0x00000041 repeats=1 scan=0 extended=0 alt=0 was-down=0 up-now=0\n"
      "1 call 0xFD340785ADF8CFB7 \"abc\" -> " + abc + "\n"
      "1 call 0x0000000000000010 0x0000000000000001 &0x00012345 -> 0x0000000000000007\n"
      "1 call 0x0000000000000010 0x0000000000000001 &\n"
      "1 call 0x0000000000000010 0x0000000000000001 &\n"
      "1 wait 50\n"
      "3 key 0x00000041 repeats=2 scan=30 extended=0 alt=-1 was-down=1 up-now=1\n"
      "3 misuse \"native 0x0000000000000030 called outside the script, while in its keyboard handler\"\n"
      "3 call 0x0000000000000030\n"
      "3 call 0x0000000000000020 -> 0x000000003FC00000 0x0000000000000000 0x000000007FC00001\n"
      "3 call 0xFD340785ADF8CFB7 \"abc\" -> 0x0000000000000001\n"
      "3 wait 0\n"
      "4 unload\n4 scriptUnregister self\n4 keyboardHandlerUnregister registered\n"
      "4 load \"P.asi\"\n4 scriptRegister self\n4 keyboardHandlerRegister\n"
      "4 call 0x0000000000000020 -> 0xFFFFFFFF00000001\n"
      "4 call 0x0000000000000010 0x0000000000000001 &0x00000001 -> 0x0000000000000007\n"
      "4 wait 0\n"
      "5 call 0x0000000000000010 0x0000000000000001 &0x00012345 -> 0x0000000000000007\n"
      "5 stop \"plug-in made more than 50 native calls without waiting\"\n";
  std::istringstream in(trace);
  const auto events = standin::readTrace(in);
  const std::string scenario = standin::scenarioFromTrace(events, {}, true);
  EXPECT_EQ(scenario,
            "# Plays a recorded session again (standin.exe --scenario-from-trace).\n"
            "frames 5\nfps 30\ncap calls-per-frame 50\n"
            "out-arg 0x0000000000000010 1\nreload 4\nkey 1 0x41\nkey 3 0x41 up repeats=2 scan=30 alt=-1\n"
            "\n# What the game answered.\n"
            "answer 0x0000000000000010 int 7 out 1 0x12345\n"
            "answer 0x0000000000000010 frame 1 int 7 out 1 0x12345 then zero\n"
            "answer 0x0000000000000010 frame 4 int 7 out 1 1\n"
            "answer 0x0000000000000020 vector 1.5 0 0x7FC00001\n"
            "answer 0x0000000000000020 frame 4 whole 0xFFFFFFFF00000001\n"
            "answer text-hash frame 3 int 1\n"
            "\n# How often each native was called.\n"
            "expect calls 0x0000000000000010 3 frames 1-3\nexpect calls 0x0000000000000010 2 frames 4-\n"
            "expect calls 0x0000000000000020 2 frames 1-\nexpect calls 0x0000000000000030 1 frames 1-\n"
            "expect calls text-hash 1 frames 1-2\nexpect calls text-hash 1 frames 3-\n");
  // By default every frame's calls in order, with their arguments.
  const std::string replay = standin::scenarioFromTrace(events);
  EXPECT_EQ(replay.substr(replay.find("\n# Every call")),
            "\n# Every call of each frame, in order, with its arguments.\n"
            "expect frame 1 text-hash \"abc\"; 0x0000000000000010 0x1 &0x12345; 0x0000000000000010 0x1 &; "
            "0x0000000000000010 0x1 &\n"
            "expect frame 2 nothing\n"
            "expect frame 3 0x0000000000000030; 0x0000000000000020; text-hash \"abc\"\n"
            "expect frame 4 0x0000000000000020; 0x0000000000000010 0x1 &0x1\n"
            "expect frame 5 0x0000000000000010 0x1 &0x12345\n");
  std::istringstream written(scenario);
  const auto played = standin::parseScenario(written, "replay.scn");
  EXPECT_EQ(played.answers.find(1, 0x10, 2)->outWrites.size(), 0u) << "the third call in frame 1 as the second";
  EXPECT_EQ(played.answers.find(4, 0xFD340785ADF8CFB7, 0), nullptr) << "the game's own hash needs no answer";

}

// Traces no session makes, and one cut short, are refused naming the line
// that shows it: a scenario written from a trace always reads.
TEST(ScenarioFromTrace, RefusesWhatNoSessionMakesNamingTheLine) {
  const std::string start = "1 load \"P.asi\"\n1 scriptRegister self\n";
  const struct {
    std::string trace;
    std::size_t line;
    const char* reason;
  } cases[] = {
      {start + "1 wait 0\n2 call 0x0000000000000010 -> 0x0000000000000001", 4, "the trace ends inside this line"},
      {start + "200000000 wait 0\n", 3, "frame 200000000 is beyond the most frames a session plays (100000000)"},
      {start + "1 load \"P.asi\"\n", 3, "a second load with no unload before it"},
      {start + "1 unload\n1 load \"P.asi\"\n", 4, "a reload before frame 2, which no session makes"},
      {start + "3 wait 0\n2 wait 0\n", 4, "frame 2 after frame 3: a session's frames never go back"},
      {start + "2 stop \"stuck\"\n2 key 0x00000041 repeats=1 scan=0 extended=0 alt=0 was-down=0 up-now=0\n", 4,
       "key after the session stopped"},
      {start + "2 call 0x0000000000000010" + [] {
         std::string slots;
         for (int i = 0; i < 64; ++i) slots += " 0x0000000000000000";
         return slots + " &0x00000001\n";
       }(), 3, "a call with 65 arguments, more than a session records (64)"},
      {start + "2 call 0x0000000000000020 -> 0x0000000100000000 0x0000000000000001 0x0000000000000000\n", 3,
       "native 0x0000000000000020 answered three slots with upper halves"},
      {"", 1, "the trace holds no event"},
      {"# standin trace\n\n", 1, "the trace holds no event"},
      {"1 scriptRegister self\n1 wait 0\n", 1, "the trace starts with a 'scriptRegister' line"},
      {start + "2 stop \"stuck\"\n2 call 0x0000000000000010\n", 4, "call after the session stopped"},
      {start + "2 stop \"stuck\"\n2 wait 0\n", 4, "wait after the session stopped"},
      {start + "1 wait 0\n2 unload\n2 call 0x0000000000000010\n", 5, "call after the plug-in was unloaded"},
      {start + "1 wait 0\n2 unload\n2 wait 0\n", 5, "wait after the plug-in was unloaded"},
      {"# fps 0\n" + start, 1, "'# fps 0'"},
      {"# fps 60\n# fps 30\n" + start, 2, "a second '# fps' line"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.trace);
    try {
      standin::TraceHeader header;
      const auto events = standin::readTrace(in, true, &header);
      standin::scenarioFromTrace(events, header);
      ADD_FAILURE() << c.trace << "\nwas accepted";
    } catch (const standin::TraceError& error) {
      EXPECT_EQ(error.line(), c.line) << c.trace << "\n  gave: " << error.what();
      EXPECT_EQ(error.reason().rfind(c.reason, 0), 0u) << c.trace << "\n  gave: " << error.what();
    }
  }
}

// The header carries what the session ran under into the replay, whose
// lines then name natives by the names files it carried.
TEST(ScenarioFromTrace, KeepsTheHeadersRateCapsNamesFilesAndAllowedRules) {
  const std::string names = ::testing::TempDir() + "/header.names";
  std::ofstream(names, std::ios::binary) << "0x6661 jump (float) -> bool\n";
  standin::TraceHeader header;
  header.fps = 30;
  header.callsPerFrame = 10000;
  header.framesCap = 100000;
  header.stallMs = 3000;
  header.namesFiles = {names};
  header.allowed = {"ARG-KIND"};
  header.folder = "../game dir";
  header.lineExpectations = {{"logs/a.txt", "* ready \"now\""}};
  header.noReloadLoss = true;
  std::ostringstream written;
  standin::writeTraceHeader(written, header);
  std::istringstream in(written.str() +
                        "1 load \"P.asi\"\n1 call 0x0000000000006661 0x000000003F800000 -> 0x0000000000000001\n1 wait 0\n");
  standin::TraceHeader read;
  const auto events = standin::readTrace(in, true, &read);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(read.fps, 30u);
  EXPECT_EQ(read.stallMs, 3000u);
  EXPECT_EQ(read.namesFiles, header.namesFiles);
  EXPECT_EQ(read.allowed, header.allowed);
  EXPECT_EQ(read.folder, header.folder);
  EXPECT_EQ(read.lineExpectations, header.lineExpectations);
  EXPECT_TRUE(read.noReloadLoss);
  const std::string scenario = standin::scenarioFromTrace(events, read);
  EXPECT_EQ(scenario.substr(0, scenario.find("\n# What")),
            "# Plays a recorded session again (standin.exe --scenario-from-trace).\n"
            "names " + standin::quoteText(names) + "\nallow ARG-KIND\nfolder \"../game dir\"\nframes 1\nfps 30\n"
            "cap stall-ms 3000\nstrict\n");
  EXPECT_NE(scenario.find("answer jump int 1\n"), std::string::npos) << scenario;
  EXPECT_NE(scenario.find("expect frame 1 jump 1\n"), std::string::npos) << "a declared float as a decimal: " << scenario;
  EXPECT_EQ(scenario.substr(scenario.find("\n# What the session expected")),
            "\n# What the session expected besides its calls.\n"
            "expect line \"logs/a.txt\" \"* ready \\\"now\\\"\"\nexpect no-reload-loss\n");

  // Given where the trace lies and where the replay goes, its paths start from the replay's folder.
  const std::string dir = ::testing::TempDir();
  std::filesystem::create_directories(dir + "/r/s");
  const std::string moved = standin::scenarioFromTrace(events, read, false, {dir + "/t/trace.txt", dir + "/r/s/replay.scn"});
  EXPECT_NE(moved.find("\nfolder \"../../game dir\"\n"), std::string::npos) << moved;
  EXPECT_NE(moved.find("\nnames \"../../header.names\"\n"), std::string::npos) << moved;

  // A session's header: its working folder from the trace's, its own expectations.
  std::istringstream played("expect line /s/game/log.txt \"a b\"\nexpect line x.txt y\nexpect no-reload-loss\n");
  const standin::TraceHeader own =
      standin::traceHeaderOf(standin::parseScenario(played, "s.scn"), "/s/game", "/s/out/trace.txt");
  EXPECT_EQ(own.folder, "../game");
  EXPECT_EQ(own.lineExpectations,
            (std::vector<std::pair<std::string, std::string>>{{"log.txt", "a b"}, {"x.txt", "y"}}));
  EXPECT_TRUE(own.noReloadLoss);

  header.allowed = {"NO-SUCH-RULE"};
  EXPECT_THROW(standin::scenarioFromTrace(events, header), standin::TraceError);
}

TEST(ScenarioFromTrace, ANativeCalledNowAndThenGetsAFewExpectationLines) {
  std::string trace = "1 load \"P.asi\"\n";
  for (int frame = 1; frame <= 40; frame += 2) trace += std::to_string(frame) + " call 0x0000000000000010\n";
  std::istringstream in(trace);
  std::istringstream scenario(standin::scenarioFromTrace(standin::readTrace(in), {}, true));
  std::uint64_t lines = 0, calls = 0;
  for (const auto& expected : standin::parseScenario(scenario, "s").expectations) {
    ++lines;
    calls += expected.count;
  }
  EXPECT_EQ(lines, 7u) << "20 runs, three to a line";
  EXPECT_EQ(calls, 20u);
}

TEST(ScenarioFromTrace, TraceComparisonsMayIgnoreThePluginsName) {
  const std::string a = "1 load \"A.asi\"\n1 wait 0\n", b = "1 load \"B.asi\"\n1 wait 0\n";
  EXPECT_EQ(standin::traceDifference(a, b, false), "line 1: 1 load \"A.asi\" | 1 load \"B.asi\"");
  EXPECT_EQ(standin::traceDifference(a, b, true), "");
  EXPECT_EQ(standin::traceDifference(a, a + "2 wait 0\n", true), "line 3: (end) | 2 wait 0");
}

// Floats as the shortest decimal that reads back, written without an
// exponent where at most nine digits do.
TEST(FloatText, ShortestDecimalsReadBackWithoutNeedlessExponents) {
  const struct {
    std::uint32_t bits;
    const char* text;
  } cases[] = {
      {0x4CBEBC20, "100000000"}, {0x4CEB79A3, "123456792"}, {0x3DCCCCCD, "0.1"},   {0x3727C5AC, "1e-05"},
      {0x38D1B717, "0.0001"},    {0x505F8476, "1.5e+10"},   {0x41F00000, "30"},    {0x80000000, "-0"},
      {0x00000001, "1e-45"},     {0x7F7FFFFF, "3.4028235e+38"}, {0xC0200000, "-2.5"}, {0x7FC00000, "0x7FC00000"},
      {0xFF800000, "0xFF800000"},
  };
  for (const auto& c : cases) EXPECT_EQ(standin::floatText(c.bits), c.text) << standin::hex(c.bits, 8);
}

// The short view names natives, shows declared floats and vectors as numbers,
// gathers repeats and alike frames, tells the frames the script slept, and
// quotes the plug-in's output.
TEST(ShortView, TellsATraceInShortWithDeclaredNumbers) {
  std::ofstream(::testing::TempDir() + "/view.names", std::ios::binary)
      << "0x5551 entity coords (handle, int) -> vector\n0x5552 set speed (float, vector)\n";
  standin::loadNamesFile(::testing::TempDir() + "/view.names");
  std::istringstream trace(
      "1 load \"P.asi\"\n1 scriptRegister self\n1 wait 50\n"
      "4 call 0x0000000000005551 0x00000000FFFFFFFE 0x0000000000000001 -> 0x000000003F800000 0x0000000040000000 "
      "0x0000000040400000\n"
      "4 call 0x0000000000005552 0x000000003FC00000 0x0000000000000000 0x00000000BF800000 0x0000000000000000\n"
      "4 call 0xFD340785ADF8CFB7 \"a\" -> 0x00000000CA2E9442\n4 call 0xFD340785ADF8CFB7 \"b\" -> 0x0000000000000001\n"
      "4 call 0x0000000000000009 &0x00000005\n4 call 0x0000000000000009 &0x00000005\n4 wait 0\n"
      "5 key 0x00000020 repeats=1 scan=0 extended=0 alt=0 was-down=1 up-now=1 no-handler\n"
      "5 call 0x0000000000000009 &0x00000005\n5 wait 0\n6 call 0x0000000000000009 &0x00000005\n6 wait 0\n"
      "7 debug \"[hunt] hi\"\n7 unload\n");
  EXPECT_EQ(standin::shortView(standin::readTrace(trace), standin::GameClock(60)),
            (std::vector<std::string>{
                "    frame  game time  what happened (natives by name; 0x1 for 0x0000000000000001)",
                "        1       0 ms  load \"P.asi\"; scriptRegister self; wait 50 ms",
                "      2-3      16 ms  (script asleep)",
                "        4      50 ms  entity coords(0xFFFFFFFE, 1) -> 1, 2, 3; set speed(1.5, (0, -1, 0)); text hash x2 "
                "(text hash(\"a\") -> 0xCA2E9442 ... text hash(\"b\") -> 0x1); 0x9(&0x5) x2; wait 0 ms",
                "        5      66 ms  key 0x00000020 up (no handler); 0x9(&0x5); wait 0 ms",
                "        6      83 ms  0x9(&0x5); wait 0 ms",
                "        7     100 ms  debug \"[hunt] hi\"; unload",
            }));
}

}  // namespace
