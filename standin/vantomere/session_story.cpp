#include "vantomere/session_story.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/native_names.h"

namespace standin {

namespace {

std::uint32_t low32(std::uint64_t slot) { return static_cast<std::uint32_t>(slot); }

float floatOf(std::uint64_t slot) {
  const std::uint32_t bits = low32(slot);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

Point3 pointOf(const HostEvent& call, std::size_t first) {
  if (call.args.size() < first + 3) return {};
  return {floatOf(call.args[first]), floatOf(call.args[first + 1]), floatOf(call.args[first + 2])};
}

std::string textOf(const HostEvent& call, unsigned index) {
  const auto found = call.texts.find(index);
  return found == call.texts.end() ? std::string() : found->second;
}

std::uint32_t writtenOf(const HostEvent& call, unsigned index) {
  const auto found = call.outWritten.find(index);
  return found == call.outWritten.end() ? 0 : found->second;
}

Action actionOf(ActionKind kind, std::string text = "") {
  Action action;
  action.kind = kind;
  action.text = std::move(text);
  return action;
}

// What the game answered (weapon, target, bone) and how long the script
// waited since the bone was hit: a gore shot comes frames after its hit.
struct HeldAnswers {
  std::uint32_t weapon = 0;
  std::uint32_t target = 0;
  std::uint32_t bone = 0;
  bool boneHit = false;
  std::uint32_t waitSinceBone = 0;
};

// Reads the events of one frame.
class FrameReader {
 public:
  FrameReader(FrameStory& story, HeldAnswers& held) : story_(story), held_(held) {}

  void read(const HostEvent& event) {
    switch (event.kind) {
      case EventKind::Load: add(actionOf(ActionKind::Loaded, event.detail)); break;
      case EventKind::ScriptRegister: add(actionOf(ActionKind::Registered, "script")); break;
      case EventKind::KeyboardRegister: add(actionOf(ActionKind::Registered, "keyboard handler")); break;
      case EventKind::Unload: add(actionOf(ActionKind::Unloaded)); break;
      case EventKind::ScriptUnregister: add(actionOf(ActionKind::Unregistered, "script")); break;
      case EventKind::KeyboardUnregister: add(actionOf(ActionKind::Unregistered, "keyboard handler")); break;
      case EventKind::Stop: add(actionOf(ActionKind::Stopped, event.detail)); break;
      case EventKind::Misuse: add(actionOf(ActionKind::Misuse, event.detail)); break;
      case EventKind::Debug: break;
      case EventKind::Key: readKey(event); break;
      case EventKind::Wait: readWait(event.waitMs); break;
      case EventKind::Call: readCall(event); break;
    }
  }

  // Text hashes that a control test used are part of that test, not news.
  void finish() {
    if (hashedAt_ && story_.actions[*hashedAt_].count == 0)
      story_.actions.erase(story_.actions.begin() + static_cast<std::ptrdiff_t>(*hashedAt_));
  }

 private:
  void add(Action action) { story_.actions.push_back(std::move(action)); }

  void readKey(const HostEvent& key) {
    Action action = actionOf(ActionKind::KeyMessage);
    action.hash = key.args.empty() ? 0 : key.args[0];
    action.on = key.args.size() < 7 || key.args[6] == 0;
    action.count = key.detail.empty() ? 1 : 0;
    add(action);
  }

  void readWait(std::uint32_t ms) {
    if (ms == 0) return;
    if (shotAwaitingWait_) {
      story_.actions[*shotAwaitingWait_].waitAfter = ms;
      shotAwaitingWait_.reset();
      return;
    }
    Action action = actionOf(ActionKind::Waited);
    action.ms = ms;
    add(action);
    if (held_.boneHit) held_.waitSinceBone = ms;
  }

  void readCall(const HostEvent& call) {
    if (call.hash == kTextHashNative) return countTextHash(textOf(call, 0));
    if (call.hash == natives::kRevealControlTest || call.hash == natives::kZoomControlTest) return readControlTest(call);
    if (call.hash == natives::kCurrentWeapon) held_.weapon = writtenOf(call, 1);
    if (call.hash == natives::kMeleeTarget) held_.target = low32(call.results[0]);
    if (call.hash == natives::kTargetBone) readBone(call);
    if (call.hash == natives::kApplyCamera) readCamera();
    if (call.hash == natives::kGoreShot) readGoreShot(call);
    if (call.hash == natives::kShakeCamera) readShake(call);
    if (call.hash == natives::kMakeNoticeText) add(actionOf(ActionKind::FaultNotice, textOf(call, 2)));
    if (nativeName(call.hash).empty()) {
      Action action = actionOf(ActionKind::UnknownNative);
      action.hash = call.hash;
      add(action);
    }
  }

  void countTextHash(const std::string& text) {
    if (!hashedAt_) {
      hashedAt_ = story_.actions.size();
      add(actionOf(ActionKind::TextsHashed, text));
    }
    Action& hashed = story_.actions[*hashedAt_];
    if (++hashed.count > 1) hashed.lastText = text;
  }

  // A control test that answers true switches the toggle: off when the
  // camera was applied earlier in the frame (the toggle was on), else on.
  void readControlTest(const HostEvent& call) {
    if (hashedAt_ && story_.actions[*hashedAt_].count > 0) --story_.actions[*hashedAt_].count;
    if (low32(call.results[0]) == 0) return;
    Action action = actionOf(ActionKind::ToggleSwitched);
    action.on = !cameraApplied_;
    action.hash = call.args.size() > 1 ? low32(call.args[1]) : 0;
    add(action);
  }

  void readCamera() {
    cameraApplied_ = true;
    add(actionOf(ActionKind::CameraApplied));
  }

  void readBone(const HostEvent& call) {
    held_.bone = writtenOf(call, 1);
    held_.boneHit = true;
    held_.waitSinceBone = 0;
  }

  // The wait between the bone query and the shot belongs to the shot, and so
  // does the next wait after it. The first stays a wait of its own where it
  // happened in an earlier frame.
  void readGoreShot(const HostEvent& call) {
    Action action = actionOf(ActionKind::GoreShot);
    action.weapon = held_.weapon;
    action.target = held_.target;
    action.bone = held_.bone;
    action.from = pointOf(call, 0);
    action.to = pointOf(call, 3);
    action.waitBefore = held_.waitSinceBone;
    if (held_.waitSinceBone != 0 && !story_.actions.empty() && story_.actions.back().kind == ActionKind::Waited)
      story_.actions.pop_back();
    held_ = {held_.weapon, held_.target, held_.bone, false, 0};
    shotAwaitingWait_ = story_.actions.size();
    add(action);
  }

  void readShake(const HostEvent& call) {
    Action action = actionOf(ActionKind::Shake, textOf(call, 0));
    action.amplitude = call.args.size() > 1 ? floatOf(call.args[1]) : 0.0f;
    action.weapon = held_.weapon;
    add(action);
  }

  FrameStory& story_;
  HeldAnswers& held_;
  std::optional<std::size_t> hashedAt_;
  std::optional<std::size_t> shotAwaitingWait_;
  bool cameraApplied_ = false;
};

FrameStory asleepIn(std::uint64_t frame, const GameClock& clock) {
  FrameStory story;
  story.frame = frame;
  story.gameTimeMs = clock.beginMs(frame);
  story.asleep = true;
  return story;
}

}  // namespace

std::vector<FrameStory> tellSession(const std::vector<HostEvent>& events, const GameClock& clock) {
  std::vector<FrameStory> stories;
  HeldAnswers held;
  const std::uint64_t played = framesPlayed(events);
  std::uint64_t wake = 0;  // while the script sleeps, the frame it runs again in
  std::uint64_t quiet = 1;  // the first frame not told yet
  for (std::size_t i = 0; i < events.size();) {
    FrameStory story;
    story.frame = events[i].frame;
    for (; quiet < story.frame && quiet <= played; ++quiet)
      if (quiet < wake) stories.push_back(asleepIn(quiet, clock));
    quiet = story.frame + 1;
    story.gameTimeMs = clock.beginMs(story.frame);
    story.asleep = story.frame < wake && story.frame <= played;
    FrameReader reader(story, held);
    for (; i < events.size() && events[i].frame == story.frame; ++i) {
      reader.read(events[i]);
      // A plug-in loaded anew starts its script at once.
      if (events[i].kind == EventKind::Load) story.asleep = false;
      if (events[i].kind == EventKind::Wait) wake = clock.wakeFrame(story.frame, events[i].waitMs);
    }
    reader.finish();
    if (!story.actions.empty() || story.asleep) stories.push_back(std::move(story));
  }
  for (; quiet <= played && quiet < wake; ++quiet) stories.push_back(asleepIn(quiet, clock));
  return stories;
}

std::uint64_t framesPlayed(const std::vector<HostEvent>& events) {
  std::uint64_t last = 0;
  for (const auto& event : events)
    if (event.kind != EventKind::Unload && event.kind != EventKind::ScriptUnregister &&
        event.kind != EventKind::KeyboardUnregister)
      last = std::max(last, event.frame);
  return last;
}

}  // namespace standin
