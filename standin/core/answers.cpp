#include "answers.h"

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

Answer& Answer::alsoOut(unsigned argumentIndex, std::uint32_t value) {
  outWrites.emplace_back(argumentIndex, value);
  return *this;
}

void AnswerBook::setDefault(std::uint64_t hash, Answer answer) {
  defaults_[hash] = std::move(answer);
}

void AnswerBook::setForFrame(std::uint64_t frame, std::uint64_t hash, std::vector<Answer> perCall) {
  perFrame_[{frame, hash}] = std::move(perCall);
}

void AnswerBook::clear() {
  defaults_.clear();
  perFrame_.clear();
}

const Answer* AnswerBook::find(std::uint64_t frame, std::uint64_t hash,
                               std::size_t callInFrame) const {
  auto inFrame = perFrame_.find({frame, hash});
  if (inFrame != perFrame_.end() && !inFrame->second.empty()) {
    const auto& sequence = inFrame->second;
    return &sequence[callInFrame < sequence.size() ? callInFrame : sequence.size() - 1];
  }
  auto fallback = defaults_.find(hash);
  return fallback == defaults_.end() ? nullptr : &fallback->second;
}

}  // namespace standin
