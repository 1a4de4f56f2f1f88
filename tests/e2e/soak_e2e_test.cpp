// Long play and reloads of the real DLL under Wine: tens of thousands of
// frames in one session, and hundreds of load / play / unload cycles in one
// stand-in process, as the host's reload key makes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../unit/feature_natives.h"
#include "e2e_support.h"
#include "base/quoted_text.h"

namespace {

using standin::EventKind;
using standin::HostEvent;

std::string answer(std::uint64_t native, const std::string& frames, const std::string& what) {
  return "answer " + standin::hex(native, 16) + (frames.empty() ? "" : " frames " + frames) + " " + what + "\n";
}

// The log's messages: the text after each time stamp, lines ended by CR LF.
std::vector<std::string> logMessages(const std::string& text) {
  std::vector<std::string> messages;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::size_t stampEnd = text.find("] ", start);
    messages.push_back(text.substr(stampEnd + 2, end - stampEnd - 2));
  }
  return messages;
}

std::size_t countCalls(const std::vector<HostEvent>& events, std::uint64_t native) {
  std::size_t calls = 0;
  for (const auto& e : events) calls += e.kind == EventKind::Call && e.hash == native ? 1 : 0;
  return calls;
}

void expectNoMisuseOrStop(const e2e::Session& session) {
  for (const auto& e : session.trace) {
    EXPECT_NE(e.kind, EventKind::Misuse) << e.detail;
    EXPECT_NE(e.kind, EventKind::Stop) << e.detail;
  }
}

// Mostly idle frames; gore shots, then camera shakes, then the alternative
// camera in windows of their own; a key pressed every thousand frames. At
// 60 fps a gore shot takes 11 frames: it waits 80 ms (5 frames) before the
// shot and 80 ms after it, then ends its frame; so a window of 200 frames
// starts 19 shots.
constexpr std::uint64_t kLongFrames = 30000;
constexpr std::uint64_t kGoreShots = 19, kShakeFrames = 300, kCameraFrames = 400;

std::string longSessionScenario() {
  std::string s = "frames " + std::to_string(kLongFrames) + "\n" + e2e::vantomereNames();
  s += "expect calls gore-shot " + std::to_string(kGoreShots) + "\n";
  s += "expect calls shake-camera " + std::to_string(kShakeFrames) + "\n";
  s += "expect calls apply-alternative-camera " + std::to_string(kCameraFrames) + "\n";
  s += "expect no-call show-notice\n";
  s += answer(native::kPlayerCharacter, "", "int 1001");
  s += answer(native::kWeapon, "5001-5200", "out 1 0x28950C71");
  s += answer(native::kTarget, "5001-5200", "int 2002");
  s += answer(native::kTargetTest1, "5001-5200", "int 1");
  s += answer(native::kTargetTest2, "5001-5200", "int 1");
  s += answer(native::kBone, "5001-5200", "out 1 21030");
  s += answer(native::kShakeWeapon, "15001-15300", "int 1");
  s += answer(native::kFiring, "15001-15300", "int 1");
  s += answer(native::kAimGate, "25001-25400", "int 1");
  s += answer(native::kAimCharacter, "25001-25400", "int 1");
  for (std::uint64_t frame = 1000; frame <= kLongFrames; frame += 1000)
    s += "key " + std::to_string(frame) + " 0x41\n";
  return s;
}

TEST(SoakE2e, TensOfThousandsOfFramesInOneSession) {
  const auto session = e2e::play(longSessionScenario(), {{"Harlowick/", ""}});
  ASSERT_EQ(session.exitCode, 0) << session.output;
  EXPECT_NE(session.output.find(std::to_string(kLongFrames) + " frames played"), std::string::npos) << session.output;
  // Frames 1-30 end in the start-up wait; of each shot's 11 frames only the last ends with a wait of 0.
  EXPECT_EQ(session.framesEnded(), kLongFrames - 30 - kGoreShots * 10);
  expectNoMisuseOrStop(session);
  std::size_t keys = 0;
  for (const auto& e : session.trace)
    if (e.kind == EventKind::Key) {
      ++keys;
      EXPECT_TRUE(e.detail.empty()) << "frame " << e.frame;
    }
  EXPECT_EQ(keys, kLongFrames / 1000);
  EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")),
            (std::vector<std::string>{"Unable to load from data file, please make sure it exists.",
                                      "NamesGenerator: initializing", "NamesGenerator: initialized. 461 string."}));
}

// 33 frames a cycle: 30 pass during the start-up wait, then three frames of
// work. The reveal-HUD control flips the aim camera toggle in every frame, so
// a plug-in that started from fresh state applies the camera in the first and
// third frame of work; one that kept the toggle from the cycle before would
// start every other cycle with it off.
constexpr std::uint64_t kCycles = 100;
constexpr std::uint64_t kFramesPerCycle = e2e::kStartUpFrame + 2;

std::string reloadScenario() {
  std::string s = "frames " + std::to_string(kCycles * kFramesPerCycle) + "\n";
  s += "reload every " + std::to_string(kFramesPerCycle) + "\n";
  s += answer(native::kAimGate, "", "int 1");
  s += answer(native::kAimCharacter, "", "int 1");
  s += answer(native::kRevealControl, "", "int 1");
  for (std::uint64_t cycle = 1; cycle < kCycles; cycle += 33)
    s += "key " + std::to_string(cycle * kFramesPerCycle + 1) + " 0x52\n";
  return s;
}

std::vector<EventKind> kindsUntilTheFirstCall(const std::vector<HostEvent>& events) {
  std::vector<EventKind> kinds;
  for (const auto& e : events) {
    if (e.kind == EventKind::Call) break;
    if (e.kind != EventKind::Key) kinds.push_back(e.kind);
  }
  return kinds;
}

void expectUnregisteredCleanly(const std::vector<HostEvent>& events, std::uint64_t frame) {
  ASSERT_GE(events.size(), 3u) << "frame " << frame;
  EXPECT_EQ(events[0].kind, EventKind::Unload) << "frame " << frame;
  EXPECT_EQ(events[1].kind, EventKind::ScriptUnregister) << "frame " << frame;
  EXPECT_EQ(events[1].detail, "self") << "frame " << frame;
  EXPECT_EQ(events[2].kind, EventKind::KeyboardUnregister) << "frame " << frame;
  EXPECT_EQ(events[2].detail, "registered") << "frame " << frame;
}

TEST(SoakE2e, AHundredReloadsEachStartingFresh) {
  const auto session = e2e::play(reloadScenario(), {{"Harlowick/", ""}, {"Vantomere.ini", "CameraShakeOnShot=0\r\n"}});
  ASSERT_EQ(session.exitCode, 0) << session.output;
  EXPECT_EQ(session.framesEnded(), kCycles * 3);
  expectNoMisuseOrStop(session);
  const std::vector<EventKind> freshStart = {EventKind::Load, EventKind::ScriptRegister, EventKind::KeyboardRegister,
                                             EventKind::Wait};
  const std::vector<EventKind> reload = {EventKind::Unload, EventKind::ScriptUnregister, EventKind::KeyboardUnregister,
                                         EventKind::Load,   EventKind::ScriptRegister,   EventKind::KeyboardRegister,
                                         EventKind::Wait};
  for (std::uint64_t cycle = 0; cycle < kCycles; ++cycle) {
    const std::uint64_t first = cycle * kFramesPerCycle + 1;
    const auto events = session.frame(first);
    EXPECT_EQ(kindsUntilTheFirstCall(events), cycle == 0 ? freshStart : reload) << "frame " << first;
    if (cycle > 0) expectUnregisteredCleanly(events, first);
    for (const auto& e : events) EXPECT_TRUE(e.kind != EventKind::Key || e.detail.empty()) << "frame " << first;
    const std::uint64_t work = first + e2e::kStartUpFrame - 1;
    EXPECT_EQ(countCalls(session.frame(work), native::kCamera), 1u) << "frame " << work;
    EXPECT_EQ(countCalls(session.frame(work + 1), native::kCamera), 0u) << "frame " << work + 1;
    EXPECT_EQ(countCalls(session.frame(work + 2), native::kCamera), 1u) << "frame " << work + 2;
  }
  expectUnregisteredCleanly(session.frame(kCycles * kFramesPerCycle + 1), kCycles * kFramesPerCycle + 1);

  std::vector<std::string> expectedLog;
  for (std::uint64_t cycle = 0; cycle < kCycles; ++cycle)
    for (const char* line : {"loading settings file: Vantomere.ini", "settings file loaded",
                             "NamesGenerator: initializing", "NamesGenerator: initialized. 461 string."})
      expectedLog.push_back(line);
  EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")), expectedLog);
}

// Hundreds of loads in one process, each playing to the end of its start-up
// frame (the 31st: e2e::kStartUpFrame), every frame failing into the fault
// trap or none: what the process has left after each unload must stop
// shrinking once the first cycles have warmed it up.
struct CycleCost {
  const char* settings;
  std::uint64_t noticesPerFrame;
};

class ReloadCost : public ::testing::TestWithParam<CycleCost> {};

// Each DLL on its own: what matters is its own figures, not that its trace
// matches the other's.
TEST_P(ReloadCost, NoTlsIndexAndUnderAKibibytePerCycle) {
  constexpr std::uint64_t kCycles = 300, kWarmUp = 10;
  for (const std::string& plugin : {e2e::paths().plugin, e2e::paths().secondPlugin}) {
    if (plugin.empty()) continue;
    SCOPED_TRACE(plugin);
    const std::string cycle = std::to_string(e2e::kStartUpFrame);
    const auto session = e2e::play(e2e::vantomereNames() + "frames " + std::to_string(kCycles * e2e::kStartUpFrame) + "\nreload every " +
                                       cycle + "\nexpect calls show-notice " +
                                       std::to_string(kCycles * GetParam().noticesPerFrame) + "\nexpect no-reload-loss\n",
                                   {{"Harlowick/", ""}, {"Vantomere.ini", GetParam().settings}}, plugin,
                                   {"--usage", "usage.txt"});
    ASSERT_EQ(session.exitCode, 0) << session.output;
    // "unload frame free-tls-indexes committed-private-bytes handles modules", a line per unload.
    std::istringstream usage(e2e::readFile(session.folder + "/usage.txt"));
    std::string header;
    std::getline(usage, header);
    std::vector<std::pair<std::uint64_t, std::int64_t>> figures;
    for (std::uint64_t unload, frame, tls, handles, modules; usage >> unload >> frame >> tls;) {
      std::int64_t committed = 0;
      usage >> committed >> handles >> modules;
      figures.emplace_back(tls, committed);
    }
    ASSERT_EQ(figures.size(), kCycles) << header;
    EXPECT_EQ(figures.back().first, figures[kWarmUp - 1].first) << "free TLS indexes";
    EXPECT_LT(figures.back().second - figures[kWarmUp - 1].second, std::int64_t{1024} * std::int64_t{kCycles - kWarmUp})
        << "committed private bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(SoakE2e, ReloadCost,
                         ::testing::Values(CycleCost{"AlternativeCamera=abc\r\n", 1},
                                           CycleCost{"AlternativeCamera=0\r\n", 0}),
                         [](const auto& info) { return info.param.noticesPerFrame ? "EveryFrameFaulting" : "NoFaults"; });

// expect no-reload-loss sees handles: a file opened at every load and never
// closed is named with its count within 12 reloads, and a plug-in that reads
// its .ini at every load, as plug-ins do, loses nothing.
TEST(SoakE2e, ReloadChecksSeeHandles) {
  const struct {
    const char* plugin;
    int exitCode;
    const char* said;
  } rows[] = {
      {"leaves_handle", 9, "the plug-in lost 11 handles (1 per reload) over 11 reloads"},
      {"leaves_nothing_reads_ini", 0, "1 expectation met"},
  };
  for (const auto& row : rows) {
    const auto session = e2e::play("frames 13\nreload every 1\nexpect no-reload-loss\n",
                                   {{"settings.ini", "[settings]\r\nmode=quiet\r\n"}},
                                   e2e::paths().testPlugins + "/" + row.plugin + ".asi");
    EXPECT_EQ(session.exitCode, row.exitCode) << row.plugin << "\n" << session.output;
    EXPECT_NE(session.output.find(row.said), std::string::npos) << row.plugin << "\n" << session.output;
  }
}

// A folder where the log file should be: every line is dropped, and the
// frames, the fault trap and its notice go on as before.
TEST(SoakE2e, LogPathThatIsAFolder) {
  const auto session = e2e::play(e2e::vantomereNames() + "frames 35\nexpect calls show-notice 5 frames 31-35\n",
                                 {{"Harlowick/Log.log/", ""}, {"Vantomere.ini", "AlternativeCamera=yes\r\n"}});
  ASSERT_EQ(session.exitCode, 0) << session.output;
  EXPECT_EQ(session.framesEnded(), 5u);
  expectNoMisuseOrStop(session);
  EXPECT_TRUE(std::filesystem::is_directory(session.gameFolder + "/Harlowick/Log.log"));
  EXPECT_TRUE(std::filesystem::is_empty(session.gameFolder + "/Harlowick/Log.log"));
}

}  // namespace
