#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenario/game_clock.h"
#include "host/standin_host.h"

namespace standin {

// What the plug-in did, told from the calls it made: the one place that
// knows which calls mean a camera applied, a toggle switched, a gore shot,
// a shake or a fault notice.
enum class ActionKind {
  Loaded,           // text: the file name
  Registered,       // text: "script", "keyboard handler"
  Unloaded,
  Unregistered,     // text: as Registered
  Waited,           // ms: a wait of more than 0 ms that did not come right before or after a gore shot in its frame
  TextsHashed,      // count, text (the first), lastText: texts hashed that no control test used
  CameraApplied,
  ToggleSwitched,   // on: the new state; hash: the control that switched it
  GoreShot,         // weapon, target, bone, waitBefore, waitAfter, from (P), to (B)
  Shake,            // text: the shake's name; amplitude; weapon
  FaultNotice,      // text: the notice
  KeyMessage,       // hash: the key code; on: pressed (false: released); count: 0 when nobody got it
  UnknownNative,    // hash: a native that has no name here
  Stopped,          // text: why the stand-in stopped the session
  Misuse,           // text: the host rule the plug-in broke
};

struct Point3 {
  float x = 0, y = 0, z = 0;
};

struct Action {
  ActionKind kind = ActionKind::CameraApplied;
  std::string text;
  std::string lastText;
  std::uint64_t hash = 0;
  std::uint64_t count = 0;
  std::uint32_t ms = 0;
  bool on = false;
  std::uint32_t weapon = 0;
  std::uint32_t target = 0;
  std::uint32_t bone = 0;
  std::uint32_t waitBefore = 0;
  std::uint32_t waitAfter = 0;
  Point3 from, to;
  float amplitude = 0;
};

struct FrameStory {
  std::uint64_t frame = 0;
  std::uint64_t gameTimeMs = 0;  // when the frame began
  bool asleep = false;           // the script waited through this frame
  std::vector<Action> actions;
};

// One story per frame in which the plug-in did something or its script
// slept; frames of neither are left out. The clock tells from a wait's
// length in which frames the script slept.
std::vector<FrameStory> tellSession(const std::vector<HostEvent>& events, const GameClock& clock = GameClock());

// The number of frames played: the highest frame number, leaving out the
// unload lines, which carry the number of the frame after the last.
std::uint64_t framesPlayed(const std::vector<HostEvent>& events);

}  // namespace standin
