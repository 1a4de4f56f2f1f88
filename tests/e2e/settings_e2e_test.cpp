// The settings file, the log and the fault trap as the real DLL shows them
// under Wine: Windows text mode on both files, the switches read every
// frame, and a bad switch reported in every frame while the loop goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using Lines = std::vector<std::string>;
using standin::EventKind;
using standin::HostEvent;

constexpr std::uint64_t kFirstFrame = e2e::kStartUpFrame;  // start-up and the first frame's work
constexpr std::uint64_t kFrames = kFirstFrame + 3;
constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;
constexpr std::uint64_t kCurrentWeapon = 0x3A87E44BB9A01D54;
constexpr std::uint64_t kAimGateTest = 0x936F967D4BE1CE9D;
constexpr std::uint64_t kShakeWeaponTest = 0x705BE297EEBDB95D;
constexpr std::uint64_t kMakeNoticeText = 0xFA925AC00EB830B9;
constexpr std::uint64_t kSetNoticeText = 0xFA233F8FE190514C;
constexpr std::uint64_t kPrepareNotice = 0xE9990552DEC71600;
constexpr std::uint64_t kShowNotice = 0xDFF0D417277B41F8;

// With every answer zero each step stops at its first failed test, so these
// are the calls a step makes when its switch is on.
const std::vector<std::uint64_t> kCameraStepCalls{kAimGateTest};
const std::vector<std::uint64_t> kMeleeStepCalls{kCurrentWeapon, kCurrentWeapon};
const std::vector<std::uint64_t> kShakeStepCalls{kCurrentWeapon, kShakeWeaponTest};
const std::vector<std::uint64_t> kNoticeCalls{kMakeNoticeText, kSetNoticeText, kPrepareNotice, kShowNotice};

const std::string kCannotParseTail =
    ", please make sure it is assembled of the correct format (<setting_name>=<settings_value>).";
// The game text value the first notice native gives, for the second one.
constexpr std::uint64_t kGameTextValue = 0x1234567890ABCDEF;
const std::string kGameTextAnswer = "answer 0xFA925AC00EB830B9 whole 0x1234567890ABCDEF\n";
const std::string kInvalidFault = "Fatal: invalid stoi argument, check the logs for more info.";

std::vector<std::uint64_t> join(std::initializer_list<std::vector<std::uint64_t>> parts) {
  std::vector<std::uint64_t> joined{kPlayerCharacter};
  for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

std::vector<std::uint64_t> callsOf(const std::vector<HostEvent>& events) {
  std::vector<std::uint64_t> hashes;
  for (const auto& e : events)
    if (e.kind == EventKind::Call) hashes.push_back(e.hash);
  return hashes;
}

// The log's lines as Windows text mode wrote them: each must end in CR LF.
// Gives the messages, without the time stamp.
Lines logMessages(const std::string& text) {
  Lines messages;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a log line without CR LF: " << text.substr(start);
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare line feed in: " << line;
    const std::size_t stampEnd = line.find("] ");
    EXPECT_EQ(line.front(), '[') << line;
    messages.push_back(stampEnd == std::string::npos ? line : line.substr(stampEnd + 2));
    start = end + 2;
  }
  return messages;
}

Lines startUpLog(const Lines& settingsLines) {
  Lines lines = settingsLines;
  lines.push_back("NamesGenerator: initializing");
  lines.push_back("NamesGenerator: initialized. 461 string.");
  return lines;
}

e2e::Session playWith(const std::map<std::string, std::string>& files, const std::string& answers = "") {
  e2e::Session session = e2e::play("frames " + std::to_string(kFrames) + "\n" + answers, files);
  EXPECT_EQ(session.exitCode, 0) << session.output;
  EXPECT_EQ(session.framesEnded(), kFrames - kFirstFrame + 1);
  for (const auto& e : session.trace) EXPECT_NE(e.kind, EventKind::Misuse) << e.detail;
  return session;
}

TEST(SettingsE2e, StartUpLogsTheLoadAndTheNamesWithCrLfLineEnds) {
  const auto session = playWith(
      {{"Harlowick/", ""},
       {"Vantomere.ini", "[Settings]\r\nAlternativeCamera=1\r\nnot a setting\r\none\rtwo\r\ncr\r\r\n; done"}});
  EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")),
            startUpLog({"loading settings file: Vantomere.ini",
                        "cannot parse line: not a setting" + kCannotParseTail,
                        "cannot parse line: one\rtwo" + kCannotParseTail,
                        "cannot parse line: cr\r" + kCannotParseTail, "settings file loaded"}));
}

TEST(SettingsE2e, AFileThatCannotBeReadLeavesEverySwitchOn) {
  for (const auto& files : std::vector<std::map<std::string, std::string>>{
           {{"Harlowick/", ""}}, {{"Harlowick/", ""}, {"Vantomere.ini/", ""}}}) {
    const auto session = playWith(files);
    EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")),
              startUpLog({"Unable to load from data file, please make sure it exists."}));
    for (std::uint64_t frame = kFirstFrame + 1; frame <= kFrames; ++frame)
      EXPECT_EQ(callsOf(session.frame(frame)), join({kCameraStepCalls, kMeleeStepCalls, kShakeStepCalls}))
          << "frame " << frame;
  }
}

TEST(SettingsE2e, WithoutTheLogFolderNothingIsWrittenAndThePlugInRuns) {
  const auto session = playWith({{"Vantomere.ini", "AlternativeCamera=no\r\n"}});
  EXPECT_FALSE(std::filesystem::exists(session.gameFolder + "/Harlowick"));
  for (std::uint64_t frame = kFirstFrame + 1; frame <= kFrames; ++frame)
    EXPECT_EQ(callsOf(session.frame(frame)), join({kNoticeCalls})) << "frame " << frame;
}

TEST(SettingsE2e, EachSwitchTurnsItsFeatureOff) {
  const struct {
    std::string file;
    std::vector<std::uint64_t> frameCalls;
  } cases[] = {
      {"AlternativeCamera=0\r\n", join({kMeleeStepCalls, kShakeStepCalls})},
      {"MeleeWeaponsGore=0\r\n", join({kCameraStepCalls, kShakeStepCalls})},
      {"CameraShakeOnShot=0\r\n", join({kCameraStepCalls, kMeleeStepCalls})},
      {"AlternativeCamera=0\r\nMeleeWeaponsGore=-1\r\nCameraShakeOnShot==\r\n", join({})},
  };
  for (const auto& c : cases) {
    const auto session = playWith({{"Harlowick/", ""}, {"Vantomere.ini", c.file}});
    for (std::uint64_t frame = kFirstFrame + 1; frame <= kFrames; ++frame)
      EXPECT_EQ(callsOf(session.frame(frame)), c.frameCalls) << c.file << " frame " << frame;
    EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")),
              startUpLog({"loading settings file: Vantomere.ini", "settings file loaded"}))
        << c.file;
  }
}

TEST(SettingsE2e, ABadSwitchIsReportedAndShownInEveryFrame) {
  const struct {
    std::string file;
    std::vector<std::uint64_t> frameCalls;
  } cases[] = {
      {"AlternativeCamera=yes\r\n", join({kNoticeCalls})},
      {"MeleeWeaponsGore=on\r\n", join({kCameraStepCalls, kNoticeCalls})},
      {"CameraShakeOnShot=true\r\n", join({kCameraStepCalls, kMeleeStepCalls, kNoticeCalls})},
  };
  for (const auto& c : cases) {
    const auto session = playWith({{"Harlowick/", ""}, {"Vantomere.ini", c.file}}, kGameTextAnswer);
    Lines expectedLog = startUpLog({"loading settings file: Vantomere.ini", "settings file loaded"});
    for (std::uint64_t frame = kFirstFrame; frame <= kFrames; ++frame) {
      expectedLog.push_back("Something wrong happened");
      expectedLog.push_back(kInvalidFault);
      if (frame == kFirstFrame) continue;  // it also holds start-up
      const auto events = session.frame(frame);
      EXPECT_EQ(callsOf(events), c.frameCalls) << c.file << " frame " << frame;
      for (const auto& e : events) {
        if (e.kind != EventKind::Call) continue;
        if (e.hash == kMakeNoticeText) {
          ASSERT_EQ(e.args.size(), 3u);
          EXPECT_EQ(e.args[0], 10u);
          EXPECT_EQ(e.texts.at(1), "LITERAL_STRING");
          EXPECT_EQ(e.texts.at(2), kInvalidFault);
        } else if (e.hash == kSetNoticeText) {
          EXPECT_EQ(e.args, std::vector<std::uint64_t>{kGameTextValue});
        }
      }
    }
    EXPECT_EQ(logMessages(session.fileText("Harlowick/Log.log")), expectedLog) << c.file;
  }
}

}  // namespace
