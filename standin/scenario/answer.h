#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace standin {

// What the game answers to one native call: the first three result slots,
// and 32-bit values written through pointer arguments.
struct Answer {
  std::uint64_t slots[3] = {0, 0, 0};
  std::vector<std::pair<unsigned, std::uint32_t>> outWrites;  // argument index, value

  static Answer ofInt(std::int32_t value);
  static Answer ofWhole(std::uint64_t value);
  static Answer ofVector(float x, float y, float z);
  static Answer ofOut(unsigned argumentIndex, std::uint32_t value);
  Answer& alsoOut(unsigned argumentIndex, std::uint32_t value);
};

}  // namespace standin
