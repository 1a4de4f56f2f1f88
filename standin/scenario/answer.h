#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "scenario/game_clock.h"

namespace standin {

// A result slot 0 that follows the game's time, worked out at each call from
// the frame it is made in: every call within one frame gets the same value.
struct Timing {
  enum class Kind { None, GameMs, GameSeconds, Step };
  Kind kind = Kind::None;
  std::uint32_t value = 0;       // GameMs: the ms added (two's complement); Step: in its first frame
  std::uint32_t step = 0;        // Step: added in each frame after the first (two's complement)
  double seconds = 0;            // GameSeconds: added
  std::uint64_t firstFrame = 1;  // Step: the first frame of its line
};

// A value wider than 32 bits written through a pointer argument: a 64-bit
// value (one slot), or a vector as the game lays one out (three slots: a
// float in the low half of each, at bytes 0, 8 and 16 of 24, the rest 0).
struct WideOut {
  unsigned index = 0;
  unsigned count = 1;  // slots written: 1 or 3
  std::uint64_t slots[3] = {0, 0, 0};
  std::size_t bytes() const { return std::size_t{count} * 8; }
};

// What the game answers to one native call: the first three result slots,
// and values written through pointer arguments.
struct Answer {
  std::uint64_t slots[3] = {0, 0, 0};
  std::vector<std::pair<unsigned, std::uint32_t>> outWrites;  // argument index, 32-bit value (an int or a float's bits)
  std::vector<WideOut> wideOutWrites;
  Timing timing;

  bool timed() const { return timing.kind != Timing::Kind::None; }
  // Slot 0 of a timed answer in `frame`: game-ms as a 32-bit int, game-s as a
  // float, a step as V + (frame - first) * N, all wrapping at 32 bits.
  std::uint64_t timedSlot(std::uint64_t frame, const GameClock& clock) const;

  static Answer ofInt(std::int32_t value);
  static Answer ofWhole(std::uint64_t value);
  static Answer ofVector(float x, float y, float z);
  static Answer ofOut(unsigned argumentIndex, std::uint32_t value);
  Answer& alsoOut(unsigned argumentIndex, std::uint32_t value);
};

}  // namespace standin
