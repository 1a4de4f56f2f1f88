// A plug-in built for Microsoft's C++ ABI gets the verdict its MinGW-w64
// twin, built from the same source (abi_ending_plugin.cpp), gets: the same
// code, its thrown type named, its what(), wherever it happens. Each
// session of the Microsoft build is played twice and must leave the same
// trace; its crash messages name the line from its .pdb, which the trace
// never holds.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"
#include "trace/scenario_from_trace.h"

namespace {

using standin::EventKind;

bool mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct AbiEnding {
  const char* name;
  int exitCode;
  const char* message;  // "{plugin}" stands for the plug-in's file name
  const char* places;
  const char* msvcMessage = nullptr;  // where Microsoft's names differ from GCC's
  // false: the thread that outlives the unload races it, so what the trace
  // holds of the end, and the phase, vary from run to run.
  bool timed = true;
  // Where the twins' traces differ before the stop line, and why (below).
  const char* unlikeTwinAt = "";
};

constexpr const char* kEverywhere = "script key load unload thread";

const AbiEnding kAbiEndings[] = {
    {"throw", 10, "let a C++ exception out that nothing caught (aim_lost: the target went away), thrown at {plugin}+0x",
     kEverywhere},
    {"noexcept", 10,
     "let a C++ exception out that nothing caught (aim_lost: the target went away), thrown at {plugin}+0x",
     "script key thread"},
    // Under Wine, clang's build ends at the unhandled-exception filter, not in
    // its fail-fast: its session takes frame 2's key before it ends.
    {"noexcept_fastfail", 10, "(aim_lost: the target went away), thrown at {plugin}+0x", "script thread", nullptr, true,
     "script"},
    {"rethrow", 10, "let a C++ exception out that nothing caught (aim_lost: the target went away), thrown at {plugin}+0x",
     "script load thread"},
    {"caught", 0, "", kEverywhere},
    {"two_faced", 10, "nothing caught (two_faced: the text what() gives), thrown at {plugin}+0x", "script key"},
    {"throw_int", 10, "nothing caught (int), thrown at {plugin}+0x", "script"},
    // A string literal: GCC throws it as const, Microsoft's compiler as char *.
    {"throw_text", 10, "nothing caught (char const*: out of ammunition), thrown at {plugin}+0x", "script",
     "nothing caught (char *: out of ammunition), thrown at {plugin}+0x"},
    // GCC's runtime keeps no text of its own to fall back on.
    {"what_faults", 10, "nothing caught (what_faults), thrown at {plugin}+0x", "script key",
     "nothing caught (what_faults: the text it stores), thrown at {plugin}+0x"},
    {"damaged", 10, "nothing caught (a type unknown: its record is damaged), thrown at {plugin}+0x", "script load"},
    {"crash", 7, "crashed with exception 0xC0000005 (access violation, writing address 0x0000000000000000) at {plugin}+0x",
     "script thread"},
    {"outlive", 7, "a thread outlived the plug-in's unload (a thread started at {plugin}+0x", "script", nullptr, false},
};

const struct {
  const char* place;
  const char* phase;
} kPlaces[] = {
    {"script", " while running its script"},
    {"key", " while in its keyboard handler"},
    {"load", " while loading it (its DllMain)"},
    {"unload", " while unloading it (its DllMain)"},
    {"thread", ""},
};

const char* const kScenario = "frames 4\nkey 2 0x41\ncap stall-ms 3000\n";

std::string pluginFile(const std::string& ending, bool msvc) { return "abi_" + ending + (msvc ? "_msvc" : "") + ".asi"; }

std::string expected(const AbiEnding& ending, bool msvc) {
  std::string text = msvc && ending.msvcMessage ? ending.msvcMessage : ending.message;
  const std::size_t at = text.find("{plugin}");
  if (at != std::string::npos) text.replace(at, 8, pluginFile(ending.name, msvc));
  return text;
}

// The trace without its stop line, whose places are offsets of one build.
std::string callsOf(const std::string& trace) {
  const std::size_t last = trace.size() > 1 ? trace.rfind('\n', trace.size() - 2) : std::string::npos;
  if (last == std::string::npos || trace.find(" stop \"", last) == std::string::npos) return trace;
  return trace.substr(0, last + 1);
}

class AbiEndings : public ::testing::TestWithParam<AbiEnding> {};

TEST_P(AbiEndings, TheSameVerdictAsTheMinGWTwin) {
  const AbiEnding& ending = GetParam();
  for (const auto& where : kPlaces) {
    if (!mentions(std::string(" ") + ending.places + " ", std::string(" ") + where.place + " ")) continue;
    const std::map<std::string, std::string> files = {{"place.txt", where.place}};
    const auto twin = e2e::play(kScenario, files, e2e::paths().testPlugins + "/" + pluginFile(ending.name, false));
    const auto msvc = e2e::play(kScenario, files, e2e::paths().testPlugins + "/" + pluginFile(ending.name, true));
    const auto again = e2e::play(kScenario, files, e2e::paths().testPlugins + "/" + pluginFile(ending.name, true));
    SCOPED_TRACE(std::string(ending.name) + " at " + where.place + "\nMinGW: " + twin.output + "\nMicrosoft's: " +
                 msvc.output);
    EXPECT_EQ(twin.exitCode, ending.exitCode);
    EXPECT_EQ(msvc.exitCode, ending.exitCode);
    // A thread of the plug-in's own races the key courier: whether frame 2's key is in
    // the trace before the end varies, and is not the verdict's doing.
    if (ending.timed && std::string(where.place) != "thread") {
      EXPECT_EQ(again.traceText, msvc.traceText) << "a second session of the same plug-in";
      if (!mentions(std::string(" ") + ending.unlikeTwinAt + " ", std::string(" ") + where.place + " ")) {
        EXPECT_EQ(standin::traceDifference(callsOf(twin.traceText), callsOf(msvc.traceText), true), "");
      }
    }
    EXPECT_EQ(again.exitCode, msvc.exitCode) << again.output;
    if (ending.timed) {
      EXPECT_EQ(again.trace.empty() ? "" : again.trace.back().detail, msvc.trace.empty() ? "" : msvc.trace.back().detail)
          << "the same stop line again";
    }
    for (const bool isMsvc : {false, true}) {
      const e2e::Session& played = isMsvc ? msvc : twin;
      ASSERT_FALSE(played.trace.empty());
      if (ending.exitCode == 0) {
        EXPECT_EQ(played.framesEnded(), 4u);
        continue;
      }
      EXPECT_TRUE(mentions(played.output, expected(ending, isMsvc))) << expected(ending, isMsvc);
      if (ending.timed) {
        EXPECT_TRUE(mentions(played.output, where.phase));
      }
      EXPECT_EQ(played.trace.back().kind, EventKind::Stop) << played.traceText;
      EXPECT_TRUE(mentions(played.trace.back().detail, expected(ending, isMsvc))) << played.traceText;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Plugin, AbiEndings, ::testing::ValuesIn(kAbiEndings),
                         [](const auto& info) { return std::string(info.param.name); });

// inner() writes through a null pointer (abi_ending_plugin.cpp): its
// function and line reach standard error from the .pdb beside the plug-in,
// and never the trace, whose stop line keeps the offsets.
TEST(AbiEndings, ACrashNamesItsLineFromThePdbOutsideTheTrace) {
  const auto played = e2e::play(kScenario, {{"place.txt", "script"}},
                                e2e::paths().testPlugins + "/" + pluginFile("crash", true));
  ASSERT_EQ(played.exitCode, 7) << played.output;
  EXPECT_TRUE(mentions(played.output, "abi_crash_msvc.asi+0x")) << played.output;
  EXPECT_TRUE(mentions(played.output, "::inner at abi_ending_plugin.cpp:")) << played.output;
  EXPECT_TRUE(mentions(played.output, "::middle at abi_ending_plugin.cpp:")) << played.output;
  EXPECT_FALSE(mentions(played.traceText, "abi_ending_plugin.cpp")) << played.traceText;
}

// A copy of the plug-in whose debug directory names a .pdb that is
// nowhere: found beside it, in a folder given with --symbols, or not at
// all; another build's .pdb under its name is not taken. The tool turns a
// crash log's offsets, in each spelling, into the places a verdict names.
TEST(AbiEndings, SymbolizeFindsThePdbWhereverTheAuthorKeepsIt) {
  const std::string built = e2e::paths().testPlugins + "/abi_crash_msvc";
  const auto played = e2e::play(kScenario, {{"place.txt", "script"}}, built + ".asi");
  const std::string& stop = played.trace.back().detail;
  const std::size_t at = stop.find("abi_crash_msvc.asi+0x");
  ASSERT_NE(at, std::string::npos) << stop;
  const std::string place = stop.substr(at, stop.find(' ', at) - at);
  const std::string offset = place.substr(place.find('+') + 1);
  const std::string folder = played.folder + "/moved";
  std::filesystem::create_directories(folder + "/symbols");
  std::string bytes = e2e::readFile(built + ".asi");
  const std::size_t named = bytes.find("abi_crash_msvc.pdb");
  ASSERT_NE(named, std::string::npos);
  bytes.replace(named, 18, "abi_crash_msvX.pdb");
  e2e::writeFile(folder + "/abi_crash_msvc.asi", bytes);
  const auto symbolize = [&](const std::vector<std::string>& more, std::string& output) {
    std::vector<std::string> command = {e2e::paths().standinExe, "--symbolize", "moved/abi_crash_msvc.asi"};
    command.insert(command.end(), more.begin(), more.end());
    return e2e::runUnderWine(command, output, played.folder);
  };
  std::string output;
  EXPECT_EQ(symbolize({offset}, output), 2) << output;
  EXPECT_TRUE(mentions(output, "no .pdb of ")) << output;
  std::filesystem::copy_file(built + ".pdb", folder + "/symbols/abi_crash_msvX.pdb");
  EXPECT_EQ(symbolize({"--symbols", "moved/symbols", place}, output), 0) << output;
  EXPECT_EQ(output.rfind(place + ": ", 0), 0u) << output;
  EXPECT_TRUE(mentions(output, "::inner at abi_ending_plugin.cpp:")) << output;
  const std::string line = output;
  std::filesystem::copy_file(built + ".pdb", folder + "/abi_crash_msvX.pdb");
  EXPECT_EQ(symbolize({offset, "0x" + std::string(16 - (offset.size() - 2), '0') + offset.substr(2)}, output), 0);
  EXPECT_EQ(output, line + line);
  std::filesystem::copy_file(e2e::paths().testPlugins + "/abi_throw_msvc.pdb", folder + "/abi_crash_msvX.pdb",
                             std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(symbolize({offset}, output), 2) << output;
  // The build's own, at the path its debug directory names.
  EXPECT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--symbolize", built + ".asi", offset}, output, played.folder), 0);
  EXPECT_EQ(output, line);
}

// Loaded again and again, each load throwing and catching once: the
// process keeps its TLS indexes and memory as with the MinGW twin.
TEST(AbiEndings, ReloadsOfAPluginThatThrowsLoseNothing) {
  for (const bool msvc : {false, true}) {
    const auto played = e2e::play("frames 60\nreload every 4\nexpect no-reload-loss\n", {{"place.txt", "none"}},
                                  e2e::paths().testPlugins + "/" + pluginFile("reloads", msvc));
    EXPECT_EQ(played.exitCode, 0) << played.output;
  }
}

}  // namespace
