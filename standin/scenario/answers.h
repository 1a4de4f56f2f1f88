#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scenario/answer.h"
#include "scenario/answer_conditions.h"

namespace standin {

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
  // A `when` line: for the calls whose arguments meet the conditions; it
  // takes precedence over the lines above.
  void setWhen(std::uint64_t first, std::uint64_t last, std::uint64_t hash, std::vector<ArgumentCondition> conditions,
               std::vector<Answer> perCall);
  void clear();
  // The game's clock, for answers that follow its time.
  void setClock(GameClock clock) { clock_ = clock; }
  const GameClock& clock() const { return clock_; }
  // Null when nothing is scripted for this native.
  const Answer* find(std::uint64_t frame, std::uint64_t hash, std::size_t callInFrame) const;
  // The answer to a call with these argument slots: a `when` line's, or find's.
  const Answer* answerCall(std::uint64_t frame, std::uint64_t hash, std::size_t callInFrame,
                           CallArguments args);

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
  ConditionalAnswers conditional_;
  GameClock clock_;
};

}  // namespace standin
