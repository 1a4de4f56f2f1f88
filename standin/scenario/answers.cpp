#include "scenario/answers.h"

#include <cstring>

namespace standin {

namespace {
std::uint64_t floatSlot(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
}  // namespace

Answer Answer::ofInt(std::int32_t value) {
  return ofWhole(static_cast<std::uint32_t>(value));
}

Answer Answer::ofWhole(std::uint64_t value) {
  Answer a;
  a.slots[0] = value;
  return a;
}

Answer Answer::ofVector(float x, float y, float z) {
  Answer a;
  a.slots[0] = floatSlot(x);
  a.slots[1] = floatSlot(y);
  a.slots[2] = floatSlot(z);
  return a;
}

Answer Answer::ofOut(unsigned argumentIndex, std::uint32_t value) {
  return Answer().alsoOut(argumentIndex, value);
}

std::uint64_t Answer::timedSlot(std::uint64_t frame, const GameClock& clock) const {
  const std::uint64_t ms = clock.beginMs(frame);
  switch (timing.kind) {
    case Timing::Kind::GameMs: return static_cast<std::uint32_t>(ms + timing.value);
    case Timing::Kind::GameSeconds:
      return floatSlot(static_cast<float>(static_cast<double>(ms) / 1000.0 + timing.seconds));
    case Timing::Kind::Step: {
      const std::uint64_t frames = frame > timing.firstFrame ? frame - timing.firstFrame : 0;
      return static_cast<std::uint32_t>(timing.value + frames * timing.step);
    }
    case Timing::Kind::None: break;
  }
  return slots[0];
}

Answer& Answer::alsoOut(unsigned argumentIndex, std::uint32_t value) {
  outWrites.emplace_back(argumentIndex, value);
  return *this;
}

namespace {
const Answer* pick(const std::vector<Answer>& sequence, std::size_t callInFrame) {
  if (sequence.empty()) return nullptr;
  return &sequence[callInFrame < sequence.size() ? callInFrame : sequence.size() - 1];
}
}  // namespace

void AnswerBook::setDefault(std::uint64_t hash, Answer answer) {
  setDefault(hash, std::vector<Answer>{std::move(answer)});
}

void AnswerBook::setDefault(std::uint64_t hash, std::vector<Answer> perCall) {
  defaults_[hash] = std::move(perCall);
}

void AnswerBook::setForFrame(std::uint64_t frame, std::uint64_t hash, std::vector<Answer> perCall) {
  setForFrames(frame, frame, hash, std::move(perCall));
}

void AnswerBook::setForFrames(std::uint64_t first, std::uint64_t last, std::uint64_t hash,
                              std::vector<Answer> perCall) {
  NativeRanges& native = ranges_[hash];
  // An empty sequence leaves its frames as they were: nothing to find.
  if (perCall.empty()) return;
  const std::size_t index = native.all.size();
  if (first == last) native.singleFrames[first] = index;
  else native.wide.push_back(index);
  native.all.push_back({first, last, std::move(perCall)});
}

void AnswerBook::setWhen(std::uint64_t first, std::uint64_t last, std::uint64_t hash,
                         std::vector<ArgumentCondition> conditions, std::vector<Answer> perCall) {
  conditional_.add(hash, first, last, std::move(conditions), std::move(perCall));
}

void AnswerBook::clear() {
  defaults_.clear();
  ranges_.clear();
  conditional_.clear();
}

const Answer* AnswerBook::answerCall(std::uint64_t frame, std::uint64_t hash, std::size_t callInFrame,
                                     CallArguments args) {
  if (!conditional_.empty())
    if (const Answer* chosen = conditional_.answer(frame, hash, args)) return chosen;
  return find(frame, hash, callInFrame);
}

const Answer* AnswerBook::find(std::uint64_t frame, std::uint64_t hash,
                               std::size_t callInFrame) const {
  auto ranges = ranges_.find(hash);
  if (ranges != ranges_.end()) {
    // Of the ranges that cover the frame, the one set last.
    const NativeRanges& native = ranges->second;
    const auto single = native.singleFrames.find(frame);
    std::size_t best = single == native.singleFrames.end() ? native.all.size() : single->second;
    for (auto index = native.wide.rbegin(); index != native.wide.rend(); ++index) {
      if (best != native.all.size() && *index < best) break;
      const FrameRange& range = native.all[*index];
      if (range.first <= frame && frame <= range.last) {
        best = *index;
        break;
      }
    }
    if (best != native.all.size()) return pick(native.all[best].perCall, callInFrame);
  }
  auto fallback = defaults_.find(hash);
  return fallback == defaults_.end() ? nullptr : pick(fallback->second, callInFrame);
}

}  // namespace standin
