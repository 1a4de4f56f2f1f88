#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <unordered_map>
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

constexpr std::uint64_t kLastFrame = std::numeric_limits<std::uint64_t>::max();

// Scripted answers. Each is a sequence for the calls of a native within one
// frame (the last entry repeats). A sequence for a range of frames overrides
// the native's default; of two ranges that cover a frame, the later one set wins.
class AnswerBook {
 public:
  void setDefault(std::uint64_t hash, Answer answer);
  void setDefault(std::uint64_t hash, std::vector<Answer> perCall);
  void setForFrame(std::uint64_t frame, std::uint64_t hash, std::vector<Answer> perCall);
  void setForFrames(std::uint64_t first, std::uint64_t last, std::uint64_t hash,
                    std::vector<Answer> perCall);
  void clear();
  // Null when nothing is scripted for this native.
  const Answer* find(std::uint64_t frame, std::uint64_t hash, std::size_t callInFrame) const;

 private:
  struct FrameRange {
    std::uint64_t first;
    std::uint64_t last;
    std::vector<Answer> perCall;
  };
  // Per native: the ranges in the order set; those of one frame, which a
  // scenario written from a trace holds by the thousand, also by frame.
  struct NativeRanges {
    std::vector<FrameRange> all;
    std::unordered_map<std::uint64_t, std::size_t> singleFrames;  // frame, index in all
    std::vector<std::size_t> wide;  // indexes in all, ascending
  };
  std::map<std::uint64_t, std::vector<Answer>> defaults_;
  std::map<std::uint64_t, NativeRanges> ranges_;
};

}  // namespace standin
