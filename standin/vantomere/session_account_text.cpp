#include "vantomere/session_account_text.h"

#include <cinttypes>
#include <cstdio>
#include <map>

#include "base/native_names.h"

namespace standin {

namespace {

std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

std::string point(const char* name, const Point3& p) {
  return std::string(name) + " (" + number(p.x) + ", " + number(p.y) + ", " + number(p.z) + ")";
}

std::string keyCode(std::uint64_t code) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%02" PRIX64, code);
  return text;
}

std::string describeTextsHashed(const Action& a) {
  if (a.count == 1) return "hashed the text \"" + a.text + "\"";
  return "hashed " + std::to_string(a.count) + " texts (\"" + a.text + "\" ... \"" + a.lastText + "\")";
}

std::string describeGoreShot(const Action& a, const HashNames& names) {
  std::string text = "gore shot: " + names.gameHash(a.weapon) + " hit target " +
                     std::to_string(static_cast<std::int32_t>(a.target)) + " on bone " +
                     std::to_string(static_cast<std::int32_t>(a.bone)) + "; ";
  if (a.waitBefore != 0) text += "waited " + std::to_string(a.waitBefore) + " ms, ";
  text += "shot from " + point("P", a.from) + " to the bone at " + point("B", a.to);
  if (a.waitAfter != 0) text += ", then waited " + std::to_string(a.waitAfter) + " ms";
  return text;
}

std::string describe(const Action& a, const HashNames& names) {
  switch (a.kind) {
    case ActionKind::Loaded: return "loaded \"" + a.text + "\"";
    case ActionKind::Registered: return "registered its " + a.text;
    case ActionKind::Unloaded: return "unloaded";
    case ActionKind::Unregistered: return "unregistered its " + a.text;
    case ActionKind::Waited: return "waited " + std::to_string(a.ms) + " ms";
    case ActionKind::TextsHashed: return describeTextsHashed(a);
    case ActionKind::CameraApplied: return "aim camera applied";
    case ActionKind::ToggleSwitched:
      return std::string("aim camera toggle switched ") + (a.on ? "on" : "off") + " by " +
             names.gameHash(static_cast<std::uint32_t>(a.hash));
    case ActionKind::GoreShot: return describeGoreShot(a, names);
    case ActionKind::Shake:
      return "camera shake \"" + a.text + "\", amplitude " + number(a.amplitude) + ", weapon " + names.gameHash(a.weapon);
    case ActionKind::FaultNotice: return "fault notice on screen: \"" + a.text + "\"";
    case ActionKind::KeyMessage:
      return "key " + keyCode(a.hash) + (a.on ? " pressed" : " released") +
             (a.count == 0 ? " (no keyboard handler registered)" : "");
    case ActionKind::UnknownNative: return "called native " + names.native(a.hash) + ", which has no name here";
    case ActionKind::Stopped: return "the stand-in stopped the session: " + a.text;
    case ActionKind::Misuse: return "broke a rule of the host: " + a.text;
  }
  return "";
}

bool isRegistration(const Action& a) {
  return a.kind == ActionKind::Registered || a.kind == ActionKind::Unregistered;
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string accountLine(std::uint64_t first, std::uint64_t last, std::uint64_t gameTimeMs, const std::string& what) {
  const std::string frames = first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
  return padded(frames, 9) + "  " + padded(std::to_string(gameTimeMs) + " ms", 9) + "  " + what;
}

std::string plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string describeActions(const std::vector<Action>& actions, const HashNames& names) {
  std::string line;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const Action& a = actions[i];
    // "registered its script and its keyboard handler"
    if (i > 0 && isRegistration(a) && actions[i - 1].kind == a.kind) {
      line += " and its " + a.text;
      continue;
    }
    if (!line.empty()) line += "; ";
    line += describe(a, names);
  }
  return line;
}

std::string describeFrame(const FrameStory& story, const HashNames& names) {
  const std::string actions = describeActions(story.actions, names);
  if (!story.asleep) return actions;
  return actions.empty() ? "(script asleep)" : "(script asleep) " + actions;
}

std::vector<std::string> accountLines(const std::vector<FrameStory>& stories, const HashNames& names) {
  std::vector<std::string> lines = {"    frame  game time  what the plug-in did"};
  for (std::size_t i = 0; i < stories.size();) {
    const std::string what = describeFrame(stories[i], names);
    std::size_t end = i + 1;
    while (end < stories.size() && stories[end].frame == stories[end - 1].frame + 1 &&
           describeFrame(stories[end], names) == what)
      ++end;
    lines.push_back(accountLine(stories[i].frame, stories[end - 1].frame, stories[i].gameTimeMs, what));
    i = end;
  }
  return lines;
}

std::vector<std::string> accountSummary(const std::vector<FrameStory>& stories, const HashNames& names) {
  std::uint64_t cameraFrames = 0, switchedOn = 0, switchedOff = 0, faults = 0;
  std::map<std::uint32_t, std::uint64_t> shotsByWait;
  std::map<std::string, std::uint64_t> shakesByAmplitude;
  for (const auto& story : stories)
    for (const auto& a : story.actions) {
      if (a.kind == ActionKind::CameraApplied) ++cameraFrames;
      if (a.kind == ActionKind::ToggleSwitched) ++(a.on ? switchedOn : switchedOff);
      if (a.kind == ActionKind::GoreShot) ++shotsByWait[a.waitBefore];
      if (a.kind == ActionKind::Shake) ++shakesByAmplitude[number(a.amplitude)];
      if (a.kind == ActionKind::FaultNotice) ++faults;
    }
  std::string shots, shakes;
  for (const auto& [wait, count] : shotsByWait)
    shots += (shots.empty() ? "" : ", ") + std::to_string(count) + " after " + std::to_string(wait) + " ms";
  for (const auto& [amplitude, count] : shakesByAmplitude)
    shakes += (shakes.empty() ? "" : ", ") + std::to_string(count) + " at " + amplitude;
  return {
      "aim camera applied in " + plural(cameraFrames, "frame", "frames") + "; toggle switched off " +
          plural(switchedOff, "time", "times") + ", on " + plural(switchedOn, "time", "times"),
      "gore shots: " + (shots.empty() ? std::string("none") : shots),
      "camera shakes: " + (shakes.empty() ? std::string("none") : shakes),
      "fault notices: " + (faults == 0 ? std::string("none") : std::to_string(faults)),
      "natives behind these words: " + names.native(natives::kApplyCamera) + ", " +
          names.native(natives::kRevealControlTest) + ", " + names.native(natives::kZoomControlTest) + ", " +
          names.native(natives::kGoreShot) + ", " + names.native(natives::kShakeCamera) + ", " +
          names.native(natives::kMakeNoticeText),
  };
}

}  // namespace standin
