// The stand-in host itself: it refuses bad input clearly, answers as the
// scenario says, and ends every session, whatever the plug-in does.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

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
  // The short view names the natives by the scenario's names files.
  std::string view;
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--short-view", "scenario.txt", "trace.txt"}, view, played.folder),
            0)
      << view;
  EXPECT_TRUE(mentions(view, "      3-4      33 ms  player character() -> 0xFFFFFFFE; character firing(0xFFFFFFFE) -> 0x1; "
                             "wait 0 ms"))
      << view;
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
    e2e::expectReplaysAlike(played, testPlugin(c.plugin));
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

// The script is left with 16 KB of stack, as a plug-in's deepest frames may be
// (the host's call path needs more than 12 KB since it serves several threads).
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
                "NATIVE-OUTSIDE-SCRIPT: native 0x0000000000001111 called outside the script, while loading it (its DllMain)",
                "WAIT-OUTSIDE-SCRIPT: scriptWait(5) outside the script, while loading it (its DllMain)",
                "NATIVE-OUTSIDE-SCRIPT: native 0x0000000000001111 called outside the script, while in its keyboard handler"}));
  // One warning per rule and native, after the count.
  EXPECT_TRUE(mentions(played.output, "warning: NATIVE-OUTSIDE-SCRIPT: 2 times, first in frame 1: native 0x0000000000001111"))
      << played.output;
  EXPECT_TRUE(mentions(played.output, "broke the host's rules 3 times")) << played.output;
  EXPECT_EQ(played.framesEnded(), 2u) << "a wait outside the script ends no frame";
  // One writer, lines ending in LF: the warning on stderr comes before the summary on stdout.
  EXPECT_LT(played.output.find("warning"), played.output.find("frames played")) << played.output;
  EXPECT_EQ(played.output.find('\r'), std::string::npos);
}

// One plug-in per rule of the host's protocol: under 'strict' the rule ends
// the session with exit 6 and its id; without, the session plays on and the
// summary warns once per rule and native; 'allow' silences it. Two tables,
// so that each stays within its time.
struct RuleCase {
  const char* plugin;
  const char* rule;
  const char* misuse;  // the start of the trace's misuse line after the id
  std::string scenario;
  bool tryAllowing = false;  // a few, so the test stays short
  std::vector<std::string> alsoTraced = {};  // the starts of further misuse lines, id and all
};

void playEachRule(const std::vector<RuleCase>& cases) {
  const std::map<std::string, std::string> files = {{"rules.names", "0x3333 pair test (int, int) -> bool\n"}};
  for (const auto& c : cases) {
    const std::string scenario = "frames 3\nkey 2 0x20\n" + c.scenario;
    const std::string misuse = std::string(c.rule) + ": " + c.misuse;
    const auto lenient = e2e::play(scenario, files, testPlugin(c.plugin));
    EXPECT_EQ(lenient.exitCode, 0) << c.plugin << "\n" << lenient.output;
    EXPECT_TRUE(mentions(lenient.traceText, "misuse \"" + misuse)) << c.plugin << "\n" << lenient.traceText;
    for (const std::string& also : c.alsoTraced)
      EXPECT_TRUE(mentions(lenient.traceText, "misuse \"" + also)) << c.plugin << ": " << also << "\n" << lenient.traceText;
    EXPECT_TRUE(mentions(lenient.output, std::string("standin: warning: ") + c.rule + ": "))
        << c.plugin << "\n" << lenient.output;
    // A thread of the plug-in's own makes no call of the script's, nor breaks its calls.
    for (const auto& e : lenient.trace) {
      if (std::string(c.rule) != "NATIVE-OUTSIDE-SCRIPT" || e.kind != EventKind::Misuse) continue;
      EXPECT_TRUE(e.detail.rfind(c.rule, 0) == 0 || mentions(e.detail, "WAIT-OUTSIDE")) << c.plugin << ": " << e.detail;
    }

    const auto strict = e2e::play("strict\n" + scenario, files, testPlugin(c.plugin));
    EXPECT_EQ(strict.exitCode, 6) << c.plugin << "\n" << strict.output;
    EXPECT_TRUE(mentions(strict.output, "broke a host rule (strict) in frame ")) << strict.output;
    // The message names a declared native by its name as well.
    std::string named = misuse;
    const std::size_t hash = named.find("0x0000000000003333");
    if (hash != std::string::npos) named.replace(hash, 18, "pair test (0x0000000000003333)");
    EXPECT_TRUE(mentions(strict.output, named)) << c.plugin << "\n" << strict.output;
    ASSERT_FALSE(strict.trace.empty());
    EXPECT_EQ(strict.trace.back().kind, EventKind::Stop) << c.plugin;
    e2e::expectReplaysAlike(strict, testPlugin(c.plugin));

    if (!c.tryAllowing) continue;
    const auto allowed = e2e::play("strict\nallow " + std::string(c.rule) + "\n" + scenario, files, testPlugin(c.plugin));
    EXPECT_EQ(allowed.exitCode, 0) << c.plugin << "\n" << allowed.output;
    EXPECT_FALSE(mentions(allowed.traceText, "misuse \"" + std::string(c.rule))) << c.plugin << "\n" << allowed.traceText;
  }
}

// The rules of calls and waits.
TEST(Standin, EachProtocolRuleHasAnIdAWarningAndAStrictEnd) {
  const std::string declared = "names game/rules.names\n";
  playEachRule({
      {"fault_misuse", "NATIVE-OUTSIDE-SCRIPT", "native 0x0000000000001111 called outside the script, while loading it (its DllMain)", ""},
      {"fault_key_misuse", "NATIVE-OUTSIDE-SCRIPT", "native 0x0000000000001111 called outside the script, while in its keyboard handler", ""},
      {"breaks_thread", "NATIVE-OUTSIDE-SCRIPT", "native 0x0000000000001111 called outside the script, on a thread of its own", ""},
      {"breaks_thread_calls", "NATIVE-OUTSIDE-SCRIPT", "native 0x0000000000005555 called outside the script, on a thread of its own", ""},
      {"breaks_wait_in_handler", "WAIT-OUTSIDE-SCRIPT", "scriptWait(0) outside the script, while in its keyboard handler", ""},
      {"breaks_push_without_init", "CALL-WITHOUT-INIT", "nativePush64(0x0000000000000007) with no call begun", ""},
      {"breaks_init_while_pending", "INIT-WHILE-PENDING",
       "nativeInit(0x0000000000001111) while the call of 0x0000000000002222 begun with 1 pushes was never performed", ""},
      {"breaks_arg_count", "ARG-COUNT", "0x0000000000003333 takes 2 argument slots (int, int) -> bool, got 1 pushes", declared},
      {"breaks_arg_kind", "ARG-KIND",
       "argument 0 of 0x0000000000003333 is declared int, pushed 0xFFFFFFFFFFFFFFFE: upper 32 bits set", declared, true},
      {"breaks_push_bound", "PUSH-BOUND", "more than 64 pushes into a call of 0x0000000000004444", ""},
      {"breaks_native_zero", "NATIVE-ZERO", "nativeInit(0): no native has the hash 0", ""},
      {"breaks_call_across_wait", "CALL-ACROSS-WAIT",
       "the call of 0x0000000000002222 begun in frame 2 was made after a scriptWait", ""},
      {"breaks_call_pending_at_unload", "CALL-PENDING-AT-UNLOAD",
       "unloaded while the call of 0x0000000000002222 begun in frame 2 was never made", ""},
      // 0x10, then read-only memory. Allowed, neither is written: the session would end with a crash.
      {"breaks_out_not_writable", "OUT-NOT-WRITABLE",
       "the answer of 0x0000000000006666 writes through argument 0, which is no writable memory of the plug-in's",
       "answer 0x6666 out 0 5 out 1 5\n", true,
       {"OUT-NOT-WRITABLE: the answer of 0x0000000000006666 writes through argument 1"}},
  });
}

// The rules of registrations and of the script's end.
TEST(Standin, EachProtocolRuleOfRegistrationsHasAnIdAWarningAndAStrictEnd) {
  const std::string foreign = "REGISTER-FOREIGN-MODULE: ";
  playEachRule({
      {"fault_keeps_registered", "UNLOAD-REGISTERED", "unloaded without scriptUnregister and keyboardHandlerUnregister", ""},
      {"fault_returns", "SCRIPT-RETURNED", "the script entry returned", "", true},
      {"breaks_register_twice", "REGISTER-TWICE", "scriptRegister for a module whose script is registered already", ""},
      {"breaks_handler_twice", "REGISTER-TWICE", "keyboardHandlerRegister while a handler is registered already", "", true},
      {"breaks_register_foreign", "REGISTER-FOREIGN-MODULE",
       "scriptRegister for the executable's module (GetModuleHandle(NULL)): not the plug-in's own, so not registered", "",
       false,
       {foreign + "scriptRegister for the stand-in's ScriptHookRDR2.dll: not", foreign + "scriptRegister of code outside its module",
        foreign + "scriptRegister for a second module while its script is registered",
        foreign + "keyboardHandlerRegister of code outside its module"}},
      {"breaks_handler_null", "HANDLER-NULL", "keyboardHandlerRegister with a null function, so not registered", "", false,
       {"HANDLER-NULL: scriptRegister with a null function"}},
      {"breaks_unregister_unknown", "UNREGISTER-UNKNOWN",
       "keyboardHandlerUnregister of a handler that was never registered", ""},
      {"breaks_script_unregistered", "SCRIPT-UNREGISTERED",
       "the script was unregistered in frame 2, not as the plug-in was unloaded", ""},
  });
}

// A trace cut short, or holding what no session makes, is refused by the
// converter with exit 2 and the trace's file and line.
TEST(Standin, TheConverterRefusesBadTracesNamingTheirLines) {
  const std::string folder = ::testing::TempDir() + "/converter";
  std::string output;
  ASSERT_EQ(e2e::run({"/bin/mkdir", "-p", folder}, output), 0) << output;
  const struct {
    const char* file;
    const char* trace;
    const char* message;
  } cases[] = {
      {"cut.txt", "1 load \"P.asi\"\n1 call 0x0000000000000010 -> 0x0000000000000001", "cut.txt:2: the trace ends inside"},
      {"loads.txt", "1 load \"P.asi\"\n1 load \"P.asi\"\n", "loads.txt:2: a second load with no unload before it"},
      {"key.txt", "1 load \"P.asi\"\n1 key 0x00000041 repeats=70000 scan=0 extended=0 alt=0 was-down=0 up-now=0\n",
       "key.txt:2: bad repeats= '70000'"},
      {"empty.txt", "", "empty.txt:1: the trace holds no event"},
      {"fps.txt", "# fps 0\n1 load \"P.asi\"\n", "fps.txt:1: '# fps 0'"},
      {"stopped.txt", "1 load \"P.asi\"\n2 stop \"stuck\"\n2 call 0x0000000000000010\n",
       "stopped.txt:3: call after the session stopped"},
  };
  for (const auto& c : cases) {
    e2e::writeFile(folder + "/" + c.file, c.trace);
    const int code = e2e::runUnderWine({e2e::paths().standinExe, "--scenario-from-trace", c.file, "out.scn"}, output, folder);
    EXPECT_EQ(code, 2) << c.file << "\n" << output;
    EXPECT_TRUE(mentions(output, c.message)) << c.file << "\n" << output;
  }
}

// A session stopped as stuck under a lowered stall cap replays under the same
// cap, which its trace's header keeps: the same stop line, the same trace.
TEST(Standin, AStuckSessionReplaysUnderItsOwnCap) {
  const auto original = e2e::play("frames 4\ncap stall-ms 1500\n", {}, testPlugin("fault_busy"));
  ASSERT_EQ(original.exitCode, 5) << original.output;
  std::string output;
  ASSERT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--scenario-from-trace", "trace.txt", "replay.scn"}, output,
                              original.folder),
            0)
      << output;
  const std::string replay = e2e::readFile(original.folder + "/replay.scn");
  EXPECT_TRUE(mentions(replay, "cap stall-ms 1500\n")) << replay;
  const auto played = e2e::play(replay, {}, testPlugin("fault_busy"));
  EXPECT_EQ(played.exitCode, 5) << played.output;
  EXPECT_EQ(played.traceText.substr(played.traceText.find("\n1 load")),
            original.traceText.substr(original.traceText.find("\n1 load")));
}

// A script whose entry returned has ended: the frames play on without it.
TEST(Standin, AScriptThatReturnedRunsNoMore) {
  const auto played = e2e::play("frames 5\nexpect calls 0x1111 1\n", {}, testPlugin("fault_returns"));
  EXPECT_EQ(played.exitCode, 0) << played.output;
  EXPECT_TRUE(mentions(played.output, "5 frames played")) << played.output;
}

}  // namespace

namespace {

// A scenario, a trace and a JUnit file whose names are outside any ANSI
// code page open, from the command line and from a suite's folder, and the
// stand-in's words carry them in UTF-8.
TEST(StandinHost, NamesOutsideTheAnsiCodePageOpen) {
  const std::string folder = std::filesystem::temp_directory_path().string() + "/standin-names-" + std::to_string(getpid());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder + "/suite");
  const std::string scenario = "\xC5\xBC\xC3\xB3\xC5\x82w \xE6\x97\xA5\xE6\x9C\xAC.scn";  // żółw 日本.scn
  e2e::writeFile(folder + "/suite/" + scenario, "frames 3\n");
  std::string output;
  const int single = e2e::runUnderWine({e2e::paths().standinExe, "suite/" + scenario, testPlugin("probe"),
                                        "trace \xE6\x97\xA5\xE6\x9C\xAC.txt"},
                                       output, folder);
  EXPECT_EQ(single, 0) << output;
  EXPECT_TRUE(std::filesystem::exists(folder + "/trace \xE6\x97\xA5\xE6\x9C\xAC.txt")) << output;
  EXPECT_NE(output.find("trace \xE6\x97\xA5\xE6\x9C\xAC.txt"), std::string::npos) << output;
  const int suite = e2e::runUnderWine({e2e::paths().standinExe, "--suite", "--junit", "caf\xC3\xA9.xml", "--traces",
                                       "traces", testPlugin("probe"), "suite"},
                                      output, folder);
  EXPECT_EQ(suite, 0) << output;
  EXPECT_NE(output.find(scenario + ": passed"), std::string::npos) << output;
  EXPECT_NE(e2e::readFile(folder + "/caf\xC3\xA9.xml").find("name=\"suite/" + scenario + "\""), std::string::npos)
      << e2e::readFile(folder + "/caf\xC3\xA9.xml");
  std::filesystem::remove_all(folder);
}

}  // namespace
