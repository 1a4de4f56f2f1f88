#include "scenario/answer_conditions.h"

#include <cstdint>

namespace standin {

void ConditionalAnswers::add(std::uint64_t hash, std::uint64_t first, std::uint64_t last,
                             std::vector<ArgumentCondition> conditions, std::vector<Answer> perCall) {
  if (perCall.empty()) return;
  byNative_[hash].push_back(lines_.size());
  lines_.push_back({first, last, std::move(conditions), std::move(perCall)});
}

void ConditionalAnswers::clear() {
  lines_.clear();
  byNative_.clear();
}

bool ConditionalAnswers::matches(const Line& line, CallArguments args) {
  for (const ArgumentCondition& condition : line.conditions) {
    if (condition.index >= args.size()) return false;
    const std::uint64_t slot = args[condition.index];
    if (!condition.isText) {
      if (slot != condition.value) return false;
      continue;
    }
    // The parser admits text conditions only for slots declared as texts.
    if (slot == 0) return false;
    const char* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(slot));
    for (std::size_t i = 0;; ++i) {
      if (text[i] == '\0') {
        if (i != condition.text.size()) return false;
        break;
      }
      if (i == condition.text.size() || text[i] != condition.text[i]) return false;
    }
  }
  return true;
}

const Answer* ConditionalAnswers::answer(std::uint64_t frame, std::uint64_t hash,
                                         CallArguments args) {
  const auto own = byNative_.find(hash);
  if (own == byNative_.end()) return nullptr;
  const Answer* chosen = nullptr;
  for (std::size_t index : own->second) {
    Line& line = lines_[index];
    if (frame < line.first || frame > line.last || !matches(line, args)) continue;
    if (line.countedFrame != frame) {
      line.countedFrame = frame;
      line.matched = 0;
    }
    const std::size_t call = line.matched++;
    chosen = &line.perCall[call < line.perCall.size() ? call : line.perCall.size() - 1];
  }
  return chosen;
}

}  // namespace standin
