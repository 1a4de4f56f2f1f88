// The stand-in host itself: it refuses bad input clearly, answers as the
// scenario says, and ends every session, whatever the plug-in does.
#include <gtest/gtest.h>

#include <cstring>

#include "e2e_support.h"

namespace {

using standin::EventKind;
using standin::HostEvent;

std::string testPlugin(const std::string& name) { return e2e::paths().testPlugins + "/" + name + ".asi"; }

bool mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Standin, RefusesAScenarioWithASyntaxErrorNamingItsLine) {
  const auto played = e2e::play("frames 3\nanswer 0x10 foo 1\n");
  EXPECT_EQ(played.exitCode, 2);
  // Line 1 of the file sets the folder; the bad line is line 3.
  EXPECT_TRUE(mentions(played.output, "scenario.txt:3: unknown answer kind 'foo'")) << played.output;
  EXPECT_TRUE(played.traceText.empty()) << "nothing was played";
}

TEST(Standin, RefusesAPluginThatIsNotThere) {
  const auto played = e2e::play("frames 1\n", {}, "no-such.asi");
  EXPECT_EQ(played.exitCode, 4);
  EXPECT_TRUE(mentions(played.output, "no-such.asi: no such file")) << played.output;
}

TEST(Standin, RefusesAPluginWhoseImportTheHostLacks) {
  const auto played = e2e::play("frames 1\n", {}, testPlugin("missing_import"));
  EXPECT_EQ(played.exitCode, 4);
  EXPECT_TRUE(mentions(played.output, "imports ?scriptMissing@@YAXXZ from ScriptHookRDR2.dll, which does not export it"))
      << played.output;
  ASSERT_EQ(played.trace.size(), 2u);
  EXPECT_EQ(played.trace[1].kind, EventKind::Stop);
}

std::uint32_t floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The probe hands every answer back in its next call, so what it received
// shows. At 4 frames a second its first wait, 250 ms, lasts one frame.
TEST(Standin, AnswersReachThePluginAsScripted) {
  const auto played = e2e::play(
      "frames 4\n"
      "fps 4\n"
      "answer 0x1111 whole 0x123456789ABCDEF0\n"
      "answer 0x1111 frames 3- int -2\n"
      "answer 0x3333 out 0 hash(weapon_unarmed)\n"
      "answer 0x5555 frame 4 vector 1.5 -2 0x7FC00001\n"
      "text-arg 0x3333 1\n"
      "key 3 0x41 up alt=1 scan=30\n",
      {}, testPlugin("probe"));
  ASSERT_EQ(played.exitCode, 0) << played.output;
  auto callOf = [&](std::uint64_t frame, std::uint64_t hash) {
    for (const auto& e : played.frame(frame))
      if (e.kind == EventKind::Call && e.hash == hash) return e;
    ADD_FAILURE() << "no call " << std::hex << hash << " in frame " << frame;
    return HostEvent();
  };
  EXPECT_EQ(callOf(2, 0x2222).args, (std::vector<std::uint64_t>{0x123456789ABCDEF0}));
  EXPECT_EQ(callOf(3, 0x2222).args, (std::vector<std::uint64_t>{0xFFFFFFFE}));
  EXPECT_EQ(callOf(2, 0x3333).texts.at(1), "probe \"text\"");
  EXPECT_EQ(callOf(2, 0x3333).outWritten.at(0), 0xA2719263u);
  EXPECT_EQ(callOf(2, 0x4444).args, (std::vector<std::uint64_t>{0xA2719263}));
  EXPECT_EQ(callOf(3, 0x6666).args, (std::vector<std::uint64_t>{0, 0, 0}));
  EXPECT_EQ(callOf(4, 0x6666).args, (std::vector<std::uint64_t>{floatBits(1.5f), floatBits(-2.0f), 0x7FC00001}));
  EXPECT_EQ(callOf(2, 0x7777).args, std::vector<std::uint64_t>(7, 0)) << "no key yet";
  EXPECT_EQ(callOf(3, 0x7777).args, (std::vector<std::uint64_t>{0x41, 1, 30, 0, 1, 1, 1}));
  ASSERT_EQ(played.frame(1).size(), 4u) << played.traceText;
  EXPECT_EQ(played.frame(1).back().waitMs, 250u);
  EXPECT_EQ(played.framesEnded(), 3u);
}

// The example an author copies, built from its own CMakeLists through the kit;
// its scenario says what the session must show.
TEST(Standin, PlaysTheKitsExamplePlugin) {
  const auto played =
      e2e::play(e2e::scenarioFile(E2E_EXAMPLES_DIR "/tally/tally.scn"), {}, testPlugin("Tally"));
  EXPECT_EQ(played.exitCode, 0) << played.output;
  EXPECT_EQ(played.framesEnded(), 15u);
}

// The waiter waits 50 ms before each call: at 60 fps it calls in every third
// frame, at 30 fps in every second; the frames between pass without it.
TEST(Standin, AScriptThatWaitsSleepsThroughFrames) {
  for (const char* fpsAndCalls : {"fps 60\nexpect calls 0x1111 39\n", "fps 30\nexpect calls 0x1111 59\n"}) {
    const auto played = e2e::play(std::string("frames 120\n") + fpsAndCalls, {}, testPlugin("waiter"));
    EXPECT_EQ(played.exitCode, 0) << fpsAndCalls << played.output;
    EXPECT_TRUE(mentions(played.output, "120 frames played")) << played.output;
  }
}

// Keys still arrive while the script sleeps, and a reload starts it anew.
TEST(Standin, KeysAndReloadsWhileTheScriptSleeps) {
  const auto played = e2e::play(
      "frames 12\nkey 5 0x41\nreload 6\n"
      "expect call 0x1111 frame 4\nexpect no-call 0x1111 frames 5-8\nexpect call 0x1111 frame 9\nexpect calls 0x1111 3\n",
      {}, testPlugin("waiter"));
  EXPECT_EQ(played.exitCode, 0) << played.output;
  ASSERT_EQ(played.frame(5).size(), 1u);
  EXPECT_EQ(played.frame(5)[0].kind, EventKind::Key);
}

TEST(Standin, ExpectationsThatFailEndTheRunNamingTheirLines) {
  const auto played = e2e::play("frames 12\nexpect calls 0x1111 5\nexpect call 0x1111 frame 4 7\nexpect no-call 0x2222\n"
                                "expect line missing.txt \"any text\"\n",
                                {}, testPlugin("waiter"));
  EXPECT_EQ(played.exitCode, 9) << played.output;
  // Line 1 of the file sets the folder.
  for (const char* failure :
       {"standin: scenario.txt:3: expected 5 calls of 0x0000000000001111, got 3 (in frames 4, 7, 10)",
        "standin: scenario.txt:4: expected a call of 0x0000000000001111 in frame 4 with 0x0000000000000007, got 1 with "
        "other arguments (the first: none)",
        "standin: scenario.txt:6: expected a line \"any text\" in missing.txt, but there is no such file"})
    EXPECT_TRUE(mentions(played.output, failure)) << failure << "\n" << played.output;
  EXPECT_FALSE(mentions(played.output, "scenario.txt:5")) << played.output;
}

TEST(Standin, EndsEverySessionWhateverThePluginDoes) {
  const struct {
    const char* plugin;
    int exitCode;
    const char* message;
  } cases[] = {
      {"fault_spin", 6, "plug-in made more than 50 native calls without waiting"},
      {"fault_returns", 6, "the script entry returned"},
      {"fault_no_script", 6, "the plug-in registered no script"},
      {"fault_busy", 5, "the plug-in is stuck: no call to the host for 1500 ms while running its script"},
      {"fault_crash", 7,
       "the plug-in crashed with exception 0xC0000005 (access violation, writing address 0x0000000000000000) "
       "at fault_crash.asi+0x"},
      {"fault_crash_read", 7, "(access violation, reading address 0x0000000000000040) at fault_crash_read.asi+0x"},
      {"fault_stack_overflow", 7,
       "the plug-in crashed with exception 0xC00000FD (stack overflow) at fault_stack_overflow.asi+0x"},
      {"fault_abort", 10, "the plug-in aborted (abort(), or std::terminate as after an uncaught C++ exception) while"},
      {"fault_terminate", 10, "the plug-in aborted (abort(), or std::terminate"},
      {"fault_throws", 10, "the plug-in let a C++ exception out that nothing caught (int), thrown at fault_throws.asi+0x"},
  };
  for (const auto& c : cases) {
    const auto played = e2e::play("frames 4\ncap calls-per-frame 50\ncap stall-ms 1500\n", {},
                                  testPlugin(c.plugin));
    EXPECT_EQ(played.exitCode, c.exitCode) << c.plugin << "\n" << played.output;
    EXPECT_TRUE(mentions(played.output, c.message)) << c.plugin << "\n" << played.output;
    ASSERT_FALSE(played.trace.empty()) << c.plugin;
    bool stopped = false;
    for (const auto& e : played.trace) stopped = stopped || (e.kind == EventKind::Stop && mentions(e.detail, c.message));
    EXPECT_TRUE(stopped) << c.plugin << " has no stop line\n" << played.traceText;
  }
}

// The plug-in tells the offset of the function that crashes (native 0x2222).
TEST(Standin, TellsWhereInThePluginItCrashed) {
  const auto played = e2e::play("frames 4\n", {}, testPlugin("fault_crash"));
  ASSERT_EQ(played.exitCode, 7) << played.output;
  std::uint64_t function = 0;
  for (const auto& e : played.trace)
    if (e.kind == EventKind::Call && e.hash == 0x2222) function = e.args.at(0);
  const std::string& stop = played.trace.back().detail;
  const std::size_t at = stop.find("fault_crash.asi+0x");
  ASSERT_NE(at, std::string::npos) << stop;
  const std::uint64_t offset = std::stoull(stop.substr(at + 18), nullptr, 16);
  EXPECT_LT(offset - function, 16u) << stop << " vs the function at 0x" << std::hex << function;
}

// The script is left with 12 KB of stack, as a plug-in's deepest frames may be.
TEST(Standin, ServesAScriptWithLittleStackLeft) {
  const auto played = e2e::play("frames 4\n", {}, testPlugin("fault_stack_low"));
  EXPECT_EQ(played.exitCode, 0) << played.output;
  EXPECT_EQ(played.framesEnded(), 4u);
}

TEST(Standin, ReportsNativesAndWaitsOutsideTheScript) {
  const auto played = e2e::play("frames 2\nkey 2 0x20\n", {}, testPlugin("fault_misuse"));
  EXPECT_EQ(played.exitCode, 0) << played.output;
  std::vector<std::string> misuses;
  for (const auto& e : played.trace)
    if (e.kind == EventKind::Misuse) misuses.push_back(e.detail);
  EXPECT_EQ(misuses,
            (std::vector<std::string>{
                "native 0x0000000000001111 called outside the script, while loading it (its DllMain)",
                "scriptWait(5) outside the script, while loading it (its DllMain)",
                "native 0x0000000000001111 called outside the script, while in its keyboard handler"}));
  EXPECT_TRUE(mentions(played.output, "broke the host's rules 3 times")) << played.output;
  EXPECT_EQ(played.framesEnded(), 2u) << "a wait outside the script ends no frame";
  // One writer, lines ending in LF: the warning on stderr comes before the summary on stdout.
  EXPECT_LT(played.output.find("warning"), played.output.find("frames played")) << played.output;
  EXPECT_EQ(played.output.find('\r'), std::string::npos);
}

TEST(Standin, StrictModeEndsTheSessionAtTheFirstBrokenRule) {
  const struct {
    const char* plugin;
    const char* misuse;
  } cases[] = {
      {"fault_misuse", "native 0x0000000000001111 called outside the script, while loading it (its DllMain)"},
      {"fault_key_misuse", "native 0x0000000000001111 called outside the script, while in its keyboard handler"},
      {"fault_keeps_registered", "unloaded without scriptUnregister and keyboardHandlerUnregister"},
  };
  for (const auto& c : cases) {
    const std::string scenario = "frames 3\nkey 2 0x20\n";
    const auto lenient = e2e::play(scenario, {}, testPlugin(c.plugin));
    EXPECT_EQ(lenient.exitCode, 0) << c.plugin << "\n" << lenient.output;
    EXPECT_TRUE(mentions(lenient.traceText, std::string("misuse \"") + c.misuse)) << c.plugin << "\n" << lenient.traceText;

    const auto strict = e2e::play("strict\n" + scenario, {}, testPlugin(c.plugin));
    EXPECT_EQ(strict.exitCode, 6) << c.plugin << "\n" << strict.output;
    EXPECT_TRUE(mentions(strict.output, std::string("broke a host rule (strict): ") + c.misuse)) << strict.output;
    ASSERT_FALSE(strict.trace.empty());
    EXPECT_EQ(strict.trace.back().kind, EventKind::Stop) << c.plugin;
  }
}

}  // namespace
