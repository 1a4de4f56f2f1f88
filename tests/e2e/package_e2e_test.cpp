// The player's package under Wine: the sample settings file as the real DLL
// reads it, and the default session that scripts/run plays with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "trace/scenario_from_trace.h"
#include "vantomere/session_story.h"

namespace {

namespace fs = std::filesystem;
using standin::ActionKind;
using standin::EventKind;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::string sampleSettings() {
  const std::string text = e2e::readFile((kSourceRoot / "package" / "Vantomere.ini").string());
  EXPECT_FALSE(text.empty()) << "package/Vantomere.ini is missing or empty";
  return text;
}

// As unzipped: the note that keeps Harlowick/ in the zip must not disturb the log.
std::map<std::string, std::string> gameFolderWith(const std::string& settings) {
  const std::string note = e2e::readFile((kSourceRoot / "package" / "Harlowick" / "LogFolder.txt").string());
  EXPECT_FALSE(note.empty());
  return {{"Vantomere.ini", settings}, {"Harlowick/LogFolder.txt", note}};
}

// The log's messages, without their time stamps and line ends.
std::vector<std::string> logMessages(const std::string& text) {
  std::vector<std::string> messages;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t stampEnd = line.find("] ");
    messages.push_back(stampEnd == std::string::npos ? line : line.substr(stampEnd + 2));
  }
  return messages;
}

std::vector<std::uint64_t> callsOf(const std::vector<standin::HostEvent>& events) {
  std::vector<std::uint64_t> hashes;
  for (const auto& e : events)
    if (e.kind == EventKind::Call) hashes.push_back(e.hash);
  return hashes;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;
constexpr std::uint64_t kCurrentWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint64_t kAimGateTest = 0x936F967D4BE1CE9D;
constexpr std::uint64_t kShakeWeaponTest = 0x705BE297EEBDB95D;

TEST(PackageE2e, SampleSettingsLoadWithoutAComplaintAndSwitchEveryFeatureOn) {
  const auto session = e2e::play("frames 33\n", gameFolderWith(sampleSettings()));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  const auto log = logMessages(session.fileText("Harlowick/Log.log"));
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "loading settings file: Vantomere.ini");
  EXPECT_EQ(log[1], "settings file loaded");
  for (const auto& message : log) EXPECT_EQ(message.find("cannot parse line"), std::string::npos) << message;
  // With every answer 0 each step stops at its first test: the aim gate; the
  // weapon twice; the weapon and the shake's weapon test.
  const std::vector<std::uint64_t> allThreeSteps = {kPlayerCharacter, kAimGateTest,   kCurrentWeapon,
                                                    kCurrentWeapon,   kCurrentWeapon, kShakeWeaponTest};
  for (std::uint64_t frame = 32; frame <= 33; ++frame) EXPECT_EQ(callsOf(session.frame(frame)), allThreeSteps);
}

// The sample's lines really count: with its 1s turned to 0s, no step runs.
TEST(PackageE2e, SampleSettingsLinesAreReadNotSkipped) {
  const auto session = e2e::play("frames 32\n", gameFolderWith(replaceAll(sampleSettings(), "=1", "=0")));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  EXPECT_EQ(callsOf(session.frame(32)), std::vector<std::uint64_t>{kPlayerCharacter});
}

// As the readme tells players: on Windows a 0x1A byte ends the reading of the file.
TEST(PackageE2e, ACtrlZByteEndsTheSettingsFile) {
  const auto session = e2e::play("frames 32\n", gameFolderWith("MeleeWeaponsGore=0\r\n\x1A\r\nAlternativeCamera=0\r\n"));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")).at(1), "settings file loaded");
  const auto calls = callsOf(session.frame(32));
  EXPECT_NE(std::find(calls.begin(), calls.end(), kAimGateTest), calls.end()) << "AlternativeCamera=0 was read";
  EXPECT_EQ(std::count(calls.begin(), calls.end(), kCurrentWeapon), 1) << "MeleeWeaponsGore=0 was not read";
}

// The session that scripts/run plays shows every feature at work.
TEST(PackageE2e, DefaultSessionShowsEachFeatureActing) {
  const std::string scenario =
      e2e::scenarioFile((kSourceRoot / "standin" / "scenarios" / "default-session.scn").string());
  ASSERT_FALSE(scenario.empty());
  const auto session = e2e::play(scenario, gameFolderWith(sampleSettings()));
  ASSERT_EQ(session.exitCode, 0) << session.output;
  std::set<bool> switchedTo;
  std::set<std::uint32_t> switchedBy, goreWaits;
  std::set<float> amplitudes;
  std::uint64_t cameraFrames = 0, faults = 0;
  for (const auto& story : standin::tellSession(session.trace))
    for (const auto& action : story.actions) {
      if (action.kind == ActionKind::CameraApplied) ++cameraFrames;
      if (action.kind == ActionKind::ToggleSwitched) switchedTo.insert(action.on);
      if (action.kind == ActionKind::ToggleSwitched) switchedBy.insert(static_cast<std::uint32_t>(action.hash));
      if (action.kind == ActionKind::GoreShot && action.waitAfter == 80) goreWaits.insert(action.waitBefore);
      if (action.kind == ActionKind::Shake) amplitudes.insert(action.amplitude);
      if (action.kind == ActionKind::FaultNotice) ++faults;
    }
  EXPECT_GT(cameraFrames, 0u);
  EXPECT_EQ(switchedTo, (std::set<bool>{false, true}));
  EXPECT_EQ(switchedBy.size(), 3u) << "the reveal-HUD control and both zoom controls";
  EXPECT_EQ(goreWaits, (std::set<std::uint32_t>{80, 700}));
  EXPECT_EQ(amplitudes, (std::set<float>{0.05f, 0.08f}));
  EXPECT_EQ(faults, 0u);
}

// The same session, turned into a scenario from its trace, is its own regression test.
TEST(PackageE2e, DefaultSessionPlaysBackFromItsTrace) {
  const auto files = gameFolderWith(sampleSettings());
  const auto original =
      e2e::play(e2e::scenarioFile((kSourceRoot / "standin" / "scenarios" / "default-session.scn").string()), files);
  ASSERT_EQ(original.exitCode, 0) << original.output;
  std::string output;
  ASSERT_EQ(e2e::runUnderWine({e2e::paths().standinExe, "--scenario-from-trace", "trace.txt", "replay.scn"}, output,
                              original.folder),
            0)
      << output;
  const std::string replay = e2e::readFile(original.folder + "/replay.scn");
  EXPECT_LT(std::count(replay.begin(), replay.end(), '\n'), 150) << "compact";
  const auto played = e2e::play(replay, files);
  EXPECT_EQ(played.exitCode, 0) << played.output << replay;
  EXPECT_TRUE(played.traceText == original.traceText)
      << standin::traceDifference(original.traceText, played.traceText, false);

  // Another character answered: the plug-in pushes another handle, and the
  // replay names where first.
  std::string edited = replay;
  const std::string answer = "answer player-character int 1001";
  ASSERT_NE(edited.find(answer), std::string::npos) << replay;
  edited.replace(edited.find(answer), answer.size(), "answer player-character int 1002");
  const auto changed = e2e::play(edited, files);
  EXPECT_EQ(changed.exitCode, 9) << changed.output;
  EXPECT_NE(changed.output.find(": frame 31, call 478 of 481, current weapon (0x3A87E44BB9A01D54): argument 0 expected "
                                "0x00000000000003E9, got 0x00000000000003EA"),
            std::string::npos)
      << changed.output;
  EXPECT_NE(changed.output.find("more lines of ordered calls differ"), std::string::npos) << "kept short: " << changed.output;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Cheap only where the windows build of these tests is the one the package
// script builds: there it is up to date, elsewhere it would be built anew.
TEST(PackageE2e, ZipHoldsExactlyThePlayersFilesWithTheirChecksums) {
  const fs::path windowsBuild = fs::path(e2e::paths().standinExe).parent_path().parent_path();
  if (!fs::exists(windowsBuild) ||
      fs::weakly_canonical(windowsBuild) != fs::weakly_canonical(kSourceRoot / "build" / "windows"))
    GTEST_SKIP() << "the package script builds build/windows; these tests use " << windowsBuild;
  if (!fs::exists("/usr/bin/unzip")) GTEST_SKIP() << "unzip is not installed";
  std::string output;
  ASSERT_EQ(e2e::run({(kSourceRoot / "scripts" / "package").string()}, output, kSourceRoot.string()), 0) << output;
  const fs::path out = kSourceRoot / "out";
  const std::string archive = (out / ("Vantomere-" E2E_VERSION ".zip")).string();
  std::string listing;
  ASSERT_EQ(e2e::run({"/usr/bin/unzip", "-Z1", archive}, listing), 0) << listing;
  EXPECT_EQ(linesOf(listing), (std::vector<std::string>{"Vantomere.asi", "Vantomere.ini", "Vantomere-ReadMe.txt",
                                                        "Harlowick/", "Harlowick/LogFolder.txt"}));

  const fs::path unzipped = out / "package-unzipped";
  fs::remove_all(unzipped);
  ASSERT_EQ(e2e::run({"/usr/bin/unzip", "-q", archive, "-d", unzipped.string()}, output), 0) << output;
  // The sums name the player's four files, then the zip: a player checks
  // either what was downloaded or what was unpacked.
  const std::string sums = (out / ("Vantomere-" E2E_VERSION ".sha256")).string();
  fs::copy_file(archive, unzipped / ("Vantomere-" E2E_VERSION ".zip"));
  EXPECT_EQ(e2e::run({"/usr/bin/sha256sum", "--check", "--strict", sums}, output, unzipped.string()), 0) << output;
  const auto sumLines = linesOf(e2e::readFile(sums));
  ASSERT_EQ(sumLines.size(), 5u);
  EXPECT_NE(sumLines.back().find("  Vantomere-" E2E_VERSION ".zip"), std::string::npos) << sumLines.back();

  // Notepad's plain text: ASCII, every line ended by CR LF; the version in the title.
  const std::string readme = e2e::readFile((unzipped / "Vantomere-ReadMe.txt").string());
  EXPECT_EQ(readme.rfind("Vantomere " E2E_VERSION, 0), 0u) << readme.substr(0, 80);
  for (std::size_t at = 0; at < readme.size(); ++at) {
    const unsigned char c = static_cast<unsigned char>(readme[at]);
    ASSERT_TRUE(c == '\r' ? readme[at + 1] == '\n' : c == '\n' ? at > 0 && readme[at - 1] == '\r' : c >= 0x20 && c < 0x7F)
        << "byte " << at << " of the readme: " << int(c);
  }
}

}  // namespace
