#pragma once

#include <cstdint>
#include <map>
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

// Scripted answers: one per native for every frame, overridden per frame by a
// sequence for the calls of that native within the frame (the last repeats).
class AnswerBook {
 public:
  void setDefault(std::uint64_t hash, Answer answer);
  void setForFrame(std::uint64_t frame, std::uint64_t hash, std::vector<Answer> perCall);
  void clear();
  // Null when nothing is scripted for this native.
  const Answer* find(std::uint64_t frame, std::uint64_t hash, std::size_t callInFrame) const;

 private:
  std::map<std::uint64_t, Answer> defaults_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<Answer>> perFrame_;
};

}  // namespace standin
