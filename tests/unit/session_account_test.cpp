// The session account: trace lines in, the account's plain words out.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "vantomere/session_account_text.h"
#include "vantomere/session_story.h"
#include "scenario/scenario.h"
#include "vantomere/session_timeline_svg.h"
#include "trace/trace.h"

namespace {

using Lines = std::vector<std::string>;

// The account names Vantomere's natives from the names file its scenarios load.
const bool kNamesLoaded = [] {
  const std::string file(__FILE__);
  standin::loadNamesFile(file.substr(0, file.rfind("/tests/")) + "/standin/names/vantomere.names");
  return true;
}();

std::vector<standin::HostEvent> trace(const std::string& text) {
  std::istringstream in(text);
  return standin::readTrace(in);
}

standin::HashNames namesFrom(const std::string& scenario) {
  standin::HashNames names;
  std::istringstream in(scenario);
  names.learnScenario(in);
  return names;
}

// The account without its header line.
Lines account(const std::string& traceText, const standin::HashNames& names = {}) {
  Lines lines = standin::accountLines(standin::tellSession(trace(traceText)), names);
  lines.erase(lines.begin());
  return lines;
}

const std::string kCamera = "call 0x2126C740A4AC370B 0x000000003F800000 0x000000003F800000\n";
const std::string kRevealPressed =
    "call 0xFD340785ADF8CFB7 \"INPUT_REVEAL_HUD\" -> 0x00000000CF8A4ECA\n"
    "call 0x50F940259D3841E6 0x0000000000000000 0x00000000CF8A4ECA -> 0x0000000000000001\n";
const std::string kRevealNotPressed =
    "call 0xFD340785ADF8CFB7 \"INPUT_REVEAL_HUD\" -> 0x00000000CF8A4ECA\n"
    "call 0x50F940259D3841E6 0x0000000000000000 0x00000000CF8A4ECA\n";
const std::string kZoomInPressed =
    "call 0xFD340785ADF8CFB7 \"INPUT_SNIPER_ZOOM_IN_ONLY\" -> 0x00000000A5BDCD3C\n"
    "call 0xF3A21BCD95725A4A 0x0000000000000000 0x00000000A5BDCD3C -> 0x0000000000000001\n";
const std::string kMelee1 = "call 0x3A87E44BB9A01D54 0x00000000000003E9 &0x28950C71 0x0000000000000000 "
                            "0x0000000000000000 0x0000000000000000\n";

// Every line of `body` gets frame number `frame` in front.
std::string inFrame(int frame, const std::string& body) {
  std::istringstream in(body);
  std::string out, line;
  while (std::getline(in, line)) out += std::to_string(frame) + " " + line + "\n";
  return out;
}

std::string goreFrame(int frame, int waitBefore) {
  return inFrame(frame, kMelee1 +
                            "call 0x18A3E9EE1297FD39 0x00000000000003E9 -> 0x00000000000007D2\n"
                            "call 0xD75960F6BD9EA49C 0x00000000000007D2 &0x00005226\n"
                            "call 0x7EE53118C892B513 0x00000000000007D2 0x000000000000000B 0x0000000000000000\n"
                            "wait " + std::to_string(waitBefore) + "\n"
                            "call 0x867654CBC7606F2C 0x0000000041480000 0x00000000C0500000 0x000000003F88F5C3 "
                            "0x0000000041480000 0x00000000C0500000 0x000000003F8CCCCD 0x00000000000003E8 "
                            "0x0000000000000001 0x0000000031B7B9FE 0x00000000000003E9 0x0000000000000000 "
                            "0x0000000000000001 0x00000000BF800000 0x0000000000000000\n"
                            "wait 80\n"
                            "wait 0\n");
}

struct Case {
  const char* what;
  std::string trace;
  Lines expected;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what; }

class AccountOfFrames : public ::testing::TestWithParam<Case> {};

TEST_P(AccountOfFrames, ToldInPlainWords) {
  const Case& c = GetParam();
  EXPECT_EQ(account(c.trace), c.expected);
}

const std::string kGoreWords =
    "gore shot: melee weapon 1 (0x28950C71) hit target 2002 on bone 21030; waited %d ms, shot from "
    "P (12.5, -3.25, 1.07) to the bone at B (12.5, -3.25, 1.1), then waited 80 ms";

std::string goreWords(int waitBefore) {
  std::string words = kGoreWords;
  words.replace(words.find("%d"), 2, std::to_string(waitBefore));
  return words;
}

INSTANTIATE_TEST_SUITE_P(
    Session, AccountOfFrames,
    ::testing::Values(
        Case{"start-up",
             "1 load \"Vantomere.asi\"\n1 scriptRegister self\n1 keyboardHandlerRegister\n1 wait 500\n" +
                 inFrame(1, "call 0xFD340785ADF8CFB7 \"Ann\"\ncall 0xFD340785ADF8CFB7 \"Bo\"\n"
                            "call 0xFD340785ADF8CFB7 \"Cy\"\nwait 0\n"),
             {"        1       0 ms  loaded \"Vantomere.asi\"; registered its script and its keyboard handler; "
              "waited 500 ms; hashed 3 texts (\"Ann\" ... \"Cy\")"}},
        Case{"the reveal-HUD control switches off after the camera, on without it",
             inFrame(2, kCamera + kRevealPressed + "wait 0\n") + inFrame(3, kRevealNotPressed + "wait 0\n") +
                 inFrame(4, kRevealPressed + "wait 0\n"),
             {"        2      16 ms  aim camera applied; aim camera toggle switched off by INPUT_REVEAL_HUD (0xCF8A4ECA)",
              "        4      50 ms  aim camera toggle switched on by INPUT_REVEAL_HUD (0xCF8A4ECA)"}},
        Case{"a zoom control switches on; a control asked but not pressed is no news",
             inFrame(5, kCamera + kRevealNotPressed + "wait 0\n") + inFrame(6, kZoomInPressed + "wait 0\n"),
             {"        5      66 ms  aim camera applied",
              "        6      83 ms  aim camera toggle switched on by INPUT_SNIPER_ZOOM_IN_ONLY (0xA5BDCD3C)"}},
        Case{"gore shots take their waits; the game time is the frame's",
             goreFrame(7, 700) + goreFrame(8, 80),
             {"        7     100 ms  " + goreWords(700), "        8     116 ms  " + goreWords(80)}},
        Case{"a shot frames after its hit; the frames the script waits through are marked",
             inFrame(20, kMelee1 + "call 0xD75960F6BD9EA49C 0x00000000000007D2 &0x00005226\nwait 700\n") +
                 "40 key 0x00000052 repeats=1 scan=0 extended=0 alt=0 was-down=0 up-now=0\n" +
                 inFrame(62, "call 0x867654CBC7606F2C\nwait 80\n") + inFrame(67, "wait 0\n"),
             {"       20     316 ms  waited 700 ms", "    21-39     333 ms  (script asleep)",
              "       40     650 ms  (script asleep) key 0x52 pressed", "    41-61     666 ms  (script asleep)",
              "       62    1016 ms  gore shot: melee weapon 1 (0x28950C71) hit target 0 on bone 21030; waited 700 ms, "
              "shot from P (0, 0, 0) to the bone at B (0, 0, 0), then waited 80 ms",
              "    63-66    1033 ms  (script asleep)"}},
        Case{"shake, fault notice and a native with no name",
             inFrame(9, "call 0x3A87E44BB9A01D54 0x00000000000003E9 &0xA2719263 0x0000000000000000 "
                        "0x0000000000000000 0x0000000000000000\n"
                        "call 0xD9B31B4650520529 \"SMALL_EXPLOSION_SHAKE\" 0x000000003DA3D70A\n"
                        "call 0xFA925AC00EB830B9 0x000000000000000A \"LITERAL_STRING\" \"Fatal: x, check.\"\n"
                        "call 0x0123456789ABCDEF\nwait 0\n"),
             {"        9     133 ms  camera shake \"SMALL_EXPLOSION_SHAKE\", amplitude 0.08, weapon weapon_unarmed "
              "(0xA2719263); fault notice on screen: \"Fatal: x, check.\"; called native 0x0123456789ABCDEF, "
              "which has no name here"}},
        Case{"frames in a row that did the same share a line; a gap or a change starts a new one",
             inFrame(10, kCamera + "wait 0\n") + inFrame(11, kCamera + "wait 0\n") +
                 inFrame(12, kCamera + "wait 0\n") + inFrame(14, kCamera + "wait 0\n") +
                 inFrame(15, kCamera + kRevealPressed + "wait 0\n"),
             {"    10-12     150 ms  aim camera applied", "       14     216 ms  aim camera applied",
              "       15     233 ms  aim camera applied; aim camera toggle switched off by INPUT_REVEAL_HUD (0xCF8A4ECA)"}},
        Case{"keys, host rules and the end of the session",
             "16 key 0x00000052 repeats=1 scan=0 extended=0 alt=0 was-down=1 up-now=1 no-handler\n"
             "16 misuse \"native call outside the script\"\n16 stop \"plug-in crashed\"\n"
             "17 unload\n17 scriptUnregister self\n17 keyboardHandlerUnregister registered\n",
             {"       16     250 ms  key 0x52 released (no keyboard handler registered); broke a rule of the host: "
              "native call outside the script; the stand-in stopped the session: plug-in crashed",
              "       17     266 ms  unloaded; unregistered its script and its keyboard handler"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return "case" + std::to_string(info.index); });

TEST(SessionAccount, ScenarioHashesGiveNames) {
  const auto names = namesFrom("answer 0x3A87E44BB9A01D54 out 1 hash(rifle)   # hash(not a name) hash()\n");
  const Lines lines = account(inFrame(2, "call 0x3A87E44BB9A01D54 0x00000000000003E9 &0x840A9C18 0x0000000000000000 "
                                         "0x0000000000000000 0x0000000000000000\n"
                                         "call 0xD9B31B4650520529 \"SMALL_EXPLOSION_SHAKE\" 0x000000003D4CCCCD\n"),
                              names);
  EXPECT_EQ(lines, Lines{"        2      16 ms  camera shake \"SMALL_EXPLOSION_SHAKE\", amplitude 0.05, weapon rifle "
                         "(0x840A9C18)"});
  EXPECT_EQ(names.gameHash(0x12345678), "0x12345678");
}

TEST(SessionAccount, SummaryCountsWhatEachFeatureDid) {
  const auto stories = standin::tellSession(
      trace(inFrame(2, kCamera + kRevealPressed + "wait 0\n") + inFrame(3, kRevealPressed + "wait 0\n") +
            goreFrame(4, 700) + goreFrame(5, 700) + goreFrame(6, 80)));
  const Lines summary = standin::accountSummary(stories, {});
  ASSERT_GE(summary.size(), 4u);
  EXPECT_EQ(summary[0], "aim camera applied in 1 frame; toggle switched off 1 time, on 1 time");
  EXPECT_EQ(summary[1], "gore shots: 1 after 80 ms, 2 after 700 ms");
  EXPECT_EQ(summary[2], "camera shakes: none");
  EXPECT_EQ(summary[3], "fault notices: none");
}

TEST(SessionAccount, FramesPlayedLeaveOutTheUnloadLines) {
  const auto events = trace("1 wait 0\n2 wait 0\n3 unload\n3 scriptUnregister self\n");
  EXPECT_EQ(standin::framesPlayed(events), 2u);
  EXPECT_EQ(standin::framesPlayed({}), 0u);
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(SessionTimeline, OneMarkPerActionAndTextEscaped) {
  const auto stories = standin::tellSession(
      trace(inFrame(2, kCamera + kRevealPressed + "wait 0\n") + goreFrame(4, 700) + goreFrame(5, 80) +
            inFrame(6, "call 0xFA925AC00EB830B9 0x000000000000000A \"LITERAL_STRING\" \"Fatal\"\nwait 0\n")));
  const std::string svg = standin::timelineSvg(stories, 6, "a <b> & \"c\"", {});
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_NE(svg.find("a &lt;b&gt; &amp; &quot;c&quot;"), std::string::npos);
  EXPECT_NE(svg.find(">700 ms<"), std::string::npos);
  EXPECT_NE(svg.find(">80 ms<"), std::string::npos);
  // Two gore diamonds, one switch triangle, plus their legend marks (one
  // diamond, the two triangles of the switch item).
  EXPECT_EQ(count(svg, "<polygon"), 2u + 1u + 1u + 2u);
  // A fault is a cross of two lines, here and in the legend.
  EXPECT_EQ(count(svg, "stroke-width=\"2.5\""), 4u);
  EXPECT_NE(svg.find(">Fatal<"), std::string::npos);
  EXPECT_EQ(count(svg, ">none<"), 2u) << "only the shake row and the script-asleep row are empty";
}

// The toggle band: on from frame 1, off after the switch in frame 2, on again
// from the reload in frame 4, where the plug-in starts afresh.
TEST(SessionTimeline, TheToggleIsOnAgainAfterAReload) {
  const auto stories = standin::tellSession(
      trace(inFrame(2, kCamera + kRevealPressed + "wait 0\n") + "4 unload\n4 load \"Vantomere.asi\"\n" +
            inFrame(4, kCamera + "wait 0\n") + inFrame(5, kCamera + kRevealPressed + "wait 0\n")));
  const std::string svg = standin::timelineSvg(stories, 5, "reload", {});
  EXPECT_EQ(count(svg, "height=\"14.0\" fill=\"#2e9e5b\""), 2u) << "frames 1-2 and 4-5";
  EXPECT_EQ(count(svg, "height=\"4.0\" fill=\"#b0b0b0\""), 2u) << "frame 3, and the legend's swatch";
}

}  // namespace
