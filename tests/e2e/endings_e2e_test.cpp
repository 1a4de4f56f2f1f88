// Every way a plug-in can end a session gets one verdict, wherever it
// happens: in its script, its keyboard handler, DllMain or a TLS callback at
// load and at unload, or a thread of its own. The ending_* plug-ins read
// where from place.txt.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>

#include "e2e_support.h"

namespace {

using standin::EventKind;

bool mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Ending {
  const char* name;
  int exitCode;
  const char* message;
  const char* places = nullptr;  // where it makes sense; null: everywhere
  bool tellsPhase = true;        // false: told by the end, wherever it began
};

// The host's own threads: a thread of the plug-in's may end as it likes.
const char* const kHostThreads = "script key load unload tls-load tls-unload";

const Ending kEndings[] = {
    {"crash", 7, "crashed with exception 0xC0000005 (access violation, writing address 0x0000000000000000) at ending_crash.asi+0x"},
    {"throw", 10, "let a C++ exception out that nothing caught (std::runtime_error: boom), thrown at ending_throw.asi+0x"},
    {"abort", 10, "the plug-in aborted (abort(), or std::terminate"},
    {"overflow", 7, "crashed with exception 0xC00000FD (stack overflow) at ending_overflow.asi+0x"},
    {"exit", 11, "the plug-in ended the process with exit value 3 "},
    {"quick_exit", 11, "the plug-in ended the process with exit value 4 "},
    {"exit_process", 11, "the plug-in ended the process with exit value 9 "},
    {"terminate_process", 11, "the plug-in ended the process with exit value 12 "},
    {"raise", 7, "crashed with exception 0xE0000042 at ending_raise.asi+0x"},
    {"debug_break", 7, "crashed with exception 0x80000003 (breakpoint) at ending_debug_break.asi+0x"},
    {"own_filter", 7, "crashed with exception 0xC0000005 (access violation, writing address 0x0000000000000000) at ending_own_filter.asi+0x"},
    {"own_terminate", 10, "let a C++ exception out that nothing caught (std::runtime_error: boom)"},
    {"stuck", 5, "the plug-in is stuck: no call to the host for 3000 ms"},
    {"caught", 0, ""},
    {"fast_fail", 7, "the plug-in failed fast (__fastfail, told by the process's status 0xC0000409 alone)"},
    {"fail_fast_raise", 7, "the plug-in failed fast (RaiseFailFastException with exception 0xC0000409 (fast fail)) at ending_fail_fast_raise.asi+0x"},
    {"handler_fault", 7, "(inside its own exception handler)"},
    {"exit_thread", 6, "the plug-in ended the host's thread it ran on (ExitThread) at ending_exit_thread.asi+0x", kHostThreads},
    {"terminate_thread", 6, "the plug-in ended a thread of the host's (TerminateThread) at ending_terminate_thread.asi+0x", kHostThreads},
    {"noexcept", 10, "let a C++ exception out that nothing caught (std::runtime_error: boom), thrown at ending_noexcept.asi+0x"},
    {"noexcept_exit", 10, "let a C++ exception out that nothing caught (std::runtime_error: boom), thrown at ending_noexcept_exit.asi+0x"},
    {"outlive", 7, "a thread outlived the plug-in's unload (a thread started at ending_outlive.asi+0x", "script key load unload thread", false},
    {"free_self", 7, "the plug-in unloaded itself (FreeLibrary of its own module, its code still running) at ending_free_self.asi+0x", "script key thread"},
    {"hang_at_exit", 5, "the plug-in is stuck: the process did not end within 3000 ms after the session's end (its exit code 0)", "script", false},
    {"system_handles", 0, ""},
    {"still_handling", 7, "(access violation, writing address 0x0000000000000000) at ending_still_handling.asi+0x", "script", false},
};

const struct {
  const char* place;
  const char* phase;
} kPlaces[] = {
    {"script", " while running its script"},
    {"key", " while in its keyboard handler"},
    {"load", " while loading it (its DllMain)"},
    {"unload", " while unloading it (its DllMain)"},
    {"tls-load", " while loading it (its DllMain)"},
    {"tls-unload", " while unloading it (its DllMain)"},
    {"thread", ""},  // the script waits for it: what the session was doing varies
};

const char* const kScenario = "frames 4\nkey 2 0x41\ncap stall-ms 3000\n";

class Endings : public ::testing::TestWithParam<Ending> {};

std::string endingPlugin(const std::string& name) { return e2e::paths().testPlugins + "/ending_" + name + ".asi"; }

e2e::Session timedPlay(const std::string& ending, const std::string& place, double& seconds) {
  const auto began = std::chrono::steady_clock::now();
  auto played = e2e::play(kScenario, {{"place.txt", place}}, endingPlugin(ending));
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return played;
}

// Each is played twice, and the two traces must be the same: a verdict that
// depends on the run is no verdict.
TEST_P(Endings, OneVerdictWhereverItHappens) {
  const Ending& ending = GetParam();
  for (const auto& where : kPlaces) {
    if (ending.places && !mentions(std::string(" ") + ending.places + " ", std::string(" ") + where.place + " ")) continue;
    double seconds = 0;
    const auto played = timedPlay(ending.name, where.place, seconds);
    SCOPED_TRACE(std::string(ending.name) + " at " + where.place + "\n" + played.output);
    EXPECT_EQ(played.exitCode, ending.exitCode);
    double again = 0;
    const auto second = timedPlay(ending.name, where.place, again);
    EXPECT_EQ(second.exitCode, played.exitCode) << second.output;
    EXPECT_EQ(second.traceText, played.traceText);
    // Wine has been seen to take half a minute for a session now and then
    // when the machine is busy: a slow session is timed once more.
    if (seconds >= 20.0) timedPlay(ending.name, where.place, seconds);
    EXPECT_LT(seconds, 20.0) << "a stall cap of 3 s ends any session within seconds";
    EXPECT_TRUE(mentions(played.output, "frames played")) << "the summary";
    ASSERT_FALSE(played.trace.empty());
    if (ending.exitCode == 0) {
      EXPECT_EQ(played.framesEnded(), 4u);
      EXPECT_FALSE(mentions(played.traceText, "misuse")) << played.traceText;
      continue;
    }
    EXPECT_TRUE(mentions(played.output, ending.message));
    if (ending.tellsPhase) {
      EXPECT_TRUE(mentions(played.output, where.phase));
    }
    EXPECT_EQ(played.trace.back().kind, EventKind::Stop) << played.traceText;
    EXPECT_TRUE(mentions(played.trace.back().detail, ending.message)) << played.traceText;
  }
}

INSTANTIATE_TEST_SUITE_P(Plugin, Endings, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

// A crash at unload is a crash also when the host reloads the plug-in.
TEST(Endings, ACrashAtAReloadEndsTheSession) {
  const auto played = e2e::play(std::string(kScenario) + "reload 3\nstrict\n", {{"place.txt", "unload"}},
                                endingPlugin("crash"));
  EXPECT_EQ(played.exitCode, 7) << played.output;
  ASSERT_FALSE(played.trace.empty());
  EXPECT_EQ(played.trace.back().kind, EventKind::Stop);
  EXPECT_EQ(played.trace.back().frame, 3u) << played.traceText;
}

// What the plug-in writes to stdout and stderr (printf, fputs, std::cout)
// and hands to OutputDebugStringA/W becomes debug lines, in order with its
// calls (0x3333 with 1, 2, 3 between its writes), wherever it writes.
TEST(Endings, ThePluginsOutputIsInTheTraceInOrderWithItsCalls) {
  const std::vector<std::string> expected = {
      "from printf 1", "call 1", "hi", "call 2", "to stderr, \"quoted\"", "wide \u00E9 \U0001F600", "from cout", "call 3",
      "no line feed"};
  for (const auto& where : kPlaces) {
    if (std::string(where.place) == "thread") continue;  // recorded, but at the session's next call
    if (std::string(where.place) == "tls-load") continue;  // std::cout is made in DllMain, after it
    const auto played = e2e::play(kScenario, {{"place.txt", where.place}}, endingPlugin("talks"));
    EXPECT_EQ(played.exitCode, 0) << played.output;
    std::vector<std::string> seen;
    for (const auto& e : played.trace) {
      if (e.kind == EventKind::Debug) seen.push_back(e.detail);
      if (e.kind == EventKind::Call && e.hash == 0x3333) seen.push_back("call " + std::to_string(e.args.at(0)));
    }
    EXPECT_EQ(seen, expected) << where.place << "\n" << played.traceText;
  }
}

// Two processes that keep both cores busy while a test plays: verdicts are
// tested on a loaded machine, as they are used.
class BusyLoops {
 public:
  BusyLoops() {
    for (pid_t& child : children_) {
      child = fork();
      if (child == 0)
        for (volatile unsigned long spin = 0;; spin = spin + 1) {
        }
    }
  }
  ~BusyLoops() {
    for (const pid_t child : children_) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }

 private:
  pid_t children_[2] = {};
};

// A thread of the plug-in's own that runs through the unload is found on
// every run, on a loaded machine too: one that spins in its code, started
// by the script, and one that sleeps in a loop, started in DllMain before
// it may have run at all. The verdict names where it started, and nothing
// that varies from run to run.
TEST(Endings, AThreadThatOutlivesTheUnloadIsACrashOnEveryRun) {
  const BusyLoops busy;
  for (const char* ending : {"outlive", "outlive_sleeps"}) {
    std::string firstTrace;
    for (int run = 0; run < 10; ++run) {
      const auto played = e2e::play(kScenario, {{"place.txt", "script"}}, endingPlugin(ending));
      SCOPED_TRACE(std::string(ending) + " run " + std::to_string(run) + "\n" + played.output);
      ASSERT_EQ(played.exitCode, 7);
      ASSERT_TRUE(mentions(played.output, "a thread outlived the plug-in's unload (a thread started at ending_" +
                                              std::string(ending) + ".asi+0x"));
      ASSERT_EQ(played.trace.back().kind, EventKind::Stop) << played.traceText;
      if (run == 0) firstTrace = played.traceText;
      ASSERT_EQ(played.traceText, firstTrace);
    }
  }
}

// A fault whose handler has not finished when the session ends is a crash,
// told as such: neither a pass nor a fault made up as unhandled.
TEST(Endings, AFaultStillBeingHandledAtTheEndIsACrash) {
  const auto played = e2e::play(kScenario, {{"place.txt", "script"}}, endingPlugin("still_handling"));
  EXPECT_EQ(played.exitCode, 7) << played.output;
  EXPECT_TRUE(mentions(played.output, "while in a thread of its own, still being handled when the session ended"))
      << played.output;
}

// When a plug-in fails, the loader calls its DllMain once more, to detach,
// and so does an exit; DllMain unregisters as it should. Under strict, what
// it does then is traced and judged by no rule: the first cause is the
// verdict, and no misuse is told.
TEST(Endings, UnderStrictTheFirstCauseWins) {
  const struct {
    const char* ending;
    const char* place;
    int exitCode;
  } rows[] = {
      {"crash", "preload", 7}, {"throw", "preload", 10}, {"crash", "load", 7},
      {"exit", "script", 11},  {"exit_process", "script", 11},
  };
  for (const auto& row : rows) {
    const auto played = e2e::play(std::string(kScenario) + "strict\n", {{"place.txt", row.place}}, endingPlugin(row.ending));
    SCOPED_TRACE(std::string(row.ending) + " at " + row.place + "\n" + played.output);
    EXPECT_EQ(played.exitCode, row.exitCode);
    EXPECT_FALSE(mentions(played.traceText, "misuse")) << played.traceText;
    EXPECT_FALSE(mentions(played.output, "broke a host rule")) << played.output;
    EXPECT_FALSE(mentions(played.output, "warning:")) << played.output;
  }
}

// A fault that a system function handles for itself is no crash, on any
// thread, the machine busy or not.
TEST(Endings, AFaultTheSystemHandlesIsNoCrashOnAnyThread) {
  const BusyLoops busy;
  for (const auto& where : kPlaces) {
    const auto played = e2e::play(kScenario, {{"place.txt", where.place}}, endingPlugin("system_handles"));
    SCOPED_TRACE(std::string(where.place) + "\n" + played.output);
    EXPECT_EQ(played.exitCode, 0);
    EXPECT_TRUE(mentions(played.traceText, "the system handled every bad pointer")) << played.traceText;
  }
}

// The script computes 1.5 s without a call, then throws; its terminate
// handler takes 300 ms, says so and aborts: its second counts from the
// throw, so it finishes, and the frame's calls are in the trace.
TEST(Endings, TheTerminateHandlersSecondCountsFromTheThrow) {
  const auto played = e2e::play(kScenario, {{"place.txt", "script"}}, endingPlugin("slow_terminate"));
  EXPECT_EQ(played.exitCode, 10) << played.output;
  EXPECT_TRUE(mentions(played.output, "(std::runtime_error: slow), thrown at ending_slow_terminate.asi+0x")) << played.output;
  bool marked = false, handled = false;
  for (const auto& e : played.trace) {
    marked = marked || (e.kind == EventKind::Call && e.hash == 0x3333 && e.frame == 2);
    handled = handled || (e.kind == EventKind::Debug && e.detail == "the terminate handler is done");
  }
  EXPECT_TRUE(marked && handled) << played.traceText;
}

// The session's process is in a job that ends with the runner: killed or
// terminated, the runner leaves no session playing on alone.
TEST(Endings, KillingTheRunnerEndsItsSession) {
  for (const int signal : {SIGKILL, SIGTERM}) {
    const std::string marker = "runner-killed-" + std::to_string(signal) + "-" + std::to_string(getpid());
    const std::string folder = (std::filesystem::temp_directory_path() / marker).string();
    std::filesystem::create_directories(folder);
    e2e::writeFile(folder + "/" + marker + ".scn", "frames 4\ncap stall-ms 60000\n");
    e2e::writeFile(folder + "/place.txt", "script");
    const pid_t runner = fork();
    if (runner == 0) {
      chdir(folder.c_str());
      setenv("WINEPREFIX", e2e::paths().winePrefix.c_str(), 1);
      setenv("WINEDEBUG", "-all", 1);
      execl(e2e::paths().wine64.c_str(), e2e::paths().wine64.c_str(), e2e::paths().standinExe.c_str(),
            (marker + ".scn").c_str(), endingPlugin("stuck").c_str(), "trace.txt", static_cast<char*>(nullptr));
      _exit(127);
    }
    const auto playing = [&] {
      int count = 0;
      for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string text = e2e::readFile(entry.path().string() + "/cmdline");
        if (entry.path().filename() != std::to_string(getpid()) && mentions(text, marker + ".scn")) ++count;
      }
      return count;
    };
    // Both processes up, the session playing (in its job once it writes the trace).
    for (int waited = 0; waited < 300 && (playing() < 2 || !std::filesystem::exists(folder + "/trace.txt")); ++waited)
      usleep(100 * 1000);
    EXPECT_EQ(playing(), 2) << "signal " << signal;
    kill(runner, signal);
    waitpid(runner, nullptr, 0);
    int left = playing();
    for (int waited = 0; waited < 100 && left > 0; ++waited, left = playing()) usleep(100 * 1000);
    EXPECT_EQ(left, 0) << "signal " << signal << ": a session process outlived its runner by 10 s";
    std::filesystem::remove_all(folder);
  }
}

// The function at MODULE+0xOFFSET of a test plug-in, by its debug
// information: in NAME.asi.debug beside it when it was stripped.
std::string functionAt(const std::string& place) {
  const std::string module = e2e::paths().testPlugins + "/" + place.substr(0, place.find('+'));
  const std::string symbols = std::filesystem::exists(module + ".debug") ? module + ".debug" : module;
  std::string header;
  e2e::run({e2e::paths().objdump, "-p", symbols}, header);
  std::istringstream lines(header);
  std::uint64_t base = 0;
  for (std::string word; lines >> word;)
    if (word == "ImageBase") lines >> std::hex >> base;
  const std::uint64_t offset = std::stoull(place.substr(place.find('+') + 1), nullptr, 16);
  std::string addr2line = e2e::paths().objdump;
  addr2line.replace(addr2line.rfind("objdump"), 7, "addr2line");
  std::ostringstream address;
  address << "0x" << std::hex << base + offset;
  std::string function;
  e2e::run({addr2line, "-f", "-C", "-e", symbols, address.str()}, function);
  return function.substr(0, function.find('\n'));
}

// The places that follow `label` in a stop line, up to the next ',' or ';'.
std::vector<std::string> placesAfter(const std::string& stop, const std::string& label) {
  std::vector<std::string> places;
  const std::size_t at = stop.find(label);
  if (at == std::string::npos) return places;
  std::istringstream words(stop.substr(at + label.size(), stop.find_first_of(",;", at + label.size()) - at - label.size()));
  for (std::string word; words >> word;)
    if (word.find(".asi+0x") != std::string::npos) places.push_back(word);
  return places;
}

// inner() writes through a null pointer, called by middle(), called by outer().
TEST(Endings, TheBacktraceNamesThePluginsFramesInnermostFirst) {
  const auto played = e2e::play(kScenario, {{"place.txt", "script"}}, endingPlugin("crash"));
  ASSERT_EQ(played.exitCode, 7) << played.output;
  const auto frames = placesAfter(played.trace.back().detail, "; backtrace: ");
  ASSERT_GE(frames.size(), 3u) << played.traceText;
  EXPECT_EQ(functionAt(frames[0]), "inner");
  EXPECT_EQ(functionAt(frames[1]), "middle");
  EXPECT_EQ(functionAt(frames[2]), "outer");
}

// recurse() calls itself with a page of stack each, so the stack probe
// ___chkstk_ms faults: the report names the recursing function, not the probe.
TEST(Endings, AStackOverflowNamesTheRecursionAndWhereItWasEntered) {
  const auto played = e2e::play(kScenario, {{"place.txt", "load"}}, endingPlugin("overflow"));
  ASSERT_EQ(played.exitCode, 7) << played.output;
  const std::string& stop = played.trace.back().detail;
  const auto at = placesAfter(stop, "(stack overflow) at ");
  const auto repeated = placesAfter(stop, "recursion: ");
  const auto entered = placesAfter(stop, "entered from ");
  ASSERT_EQ(at.size(), 1u) << stop;
  ASSERT_EQ(repeated.size(), 1u) << stop;
  ASSERT_FALSE(entered.empty()) << stop;
  EXPECT_EQ(functionAt(at[0]), "recurse");
  EXPECT_EQ(functionAt(repeated[0]), "recurse");
  EXPECT_EQ(functionAt(entered[0]), "end");
}

}  // namespace
