#include "chaos/chaos_shrink.h"

#include <algorithm>
#include <cstring>

#include "chaos/chaos_values.h"

namespace standin::chaos {

namespace {

// A removable line: the base's lines, then answers, keys and reloads.
struct Item {
  enum Kind { Base, Answer, Key, Reload } kind;
  std::size_t index;
};

std::vector<Item> itemsOf(const ChaosScenario& scenario) {
  std::vector<Item> items;
  for (std::size_t i = 0; i < scenario.baseLines.size(); ++i) items.push_back({Item::Base, i});
  for (std::size_t i = 0; i < scenario.answers.size(); ++i) items.push_back({Item::Answer, i});
  for (std::size_t i = 0; i < scenario.keys.size(); ++i) items.push_back({Item::Key, i});
  for (std::size_t i = 0; i < scenario.reloads.size(); ++i) items.push_back({Item::Reload, i});
  return items;
}

// The scenario with only `kept` of its items.
ChaosScenario withItems(const ChaosScenario& scenario, const std::vector<Item>& kept) {
  ChaosScenario result = scenario;
  result.baseLines.clear();
  result.answers.clear();
  result.keys.clear();
  result.reloads.clear();
  for (const Item& item : kept) {
    switch (item.kind) {
      case Item::Base: result.baseLines.push_back(scenario.baseLines[item.index]); break;
      case Item::Answer: result.answers.push_back(scenario.answers[item.index]); break;
      case Item::Key: result.keys.push_back(scenario.keys[item.index]); break;
      case Item::Reload: result.reloads.push_back(scenario.reloads[item.index]); break;
    }
  }
  return result;
}

// Lines that name frames beyond the session's go: they would not read.
ChaosScenario clipped(ChaosScenario scenario) {
  const std::uint64_t frames = scenario.frames;
  auto& base = scenario.baseLines;
  base.erase(std::remove_if(base.begin(), base.end(), [&](const BaseLine& l) { return l.frame > frames; }), base.end());
  auto& answers = scenario.answers;
  answers.erase(std::remove_if(answers.begin(), answers.end(), [&](const AnswerLine& l) { return l.first > frames; }),
                answers.end());
  auto& keys = scenario.keys;
  keys.erase(std::remove_if(keys.begin(), keys.end(), [&](const KeyLine& k) { return k.frame > frames; }), keys.end());
  auto& reloads = scenario.reloads;
  reloads.erase(std::remove_if(reloads.begin(), reloads.end(), [&](std::uint64_t r) { return r > frames; }),
                reloads.end());
  return scenario;
}

class Shrinker {
 public:
  Shrinker(const FirstKeeping& firstKeeping, const std::function<bool()>& timeUp)
      : firstKeeping_(firstKeeping), timeUp_(timeUp) {}

  // Takes the first candidate that keeps the verdict; whether one did.
  bool tryCandidates(ChaosScenario& current, const std::vector<ChaosScenario>& candidates) {
    if (candidates.empty() || timeUp_()) return false;
    const std::size_t first = firstKeeping_(candidates);
    if (first >= candidates.size()) return false;
    current = candidates[first];
    return true;
  }

  bool fewerFrames(ChaosScenario& current, std::uint64_t stopFrame);
  bool fewerLines(ChaosScenario& current);
  bool simplerValues(ChaosScenario& current);

 private:
  const FirstKeeping& firstKeeping_;
  const std::function<bool()>& timeUp_;
};

bool Shrinker::fewerFrames(ChaosScenario& current, std::uint64_t stopFrame) {
  bool changed = false;
  for (;;) {
    const std::uint64_t frames = current.frames;
    std::vector<std::uint64_t> tries = {stopFrame, 1, frames / 8, frames / 4, frames / 2, frames * 3 / 4, frames - 1};
    std::sort(tries.begin(), tries.end());
    tries.erase(std::unique(tries.begin(), tries.end()), tries.end());
    std::vector<ChaosScenario> candidates;
    for (std::uint64_t count : tries) {
      if (count == 0 || count >= frames) continue;
      ChaosScenario candidate = current;
      candidate.frames = count;
      candidates.push_back(clipped(candidate));
    }
    if (!tryCandidates(current, candidates)) return changed;
    changed = true;
  }
}

// Delta debugging: remove chunks of lines, halving them until single lines.
bool Shrinker::fewerLines(ChaosScenario& current) {
  bool changed = false;
  std::size_t chunks = 2;
  for (;;) {
    const std::vector<Item> items = itemsOf(current);
    if (items.empty()) return changed;
    chunks = std::min(chunks, items.size());
    std::vector<ChaosScenario> candidates;
    for (std::size_t chunk = 0; chunk < chunks; ++chunk) {
      const std::size_t begin = items.size() * chunk / chunks, end = items.size() * (chunk + 1) / chunks;
      std::vector<Item> kept(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(begin));
      kept.insert(kept.end(), items.begin() + static_cast<std::ptrdiff_t>(end), items.end());
      candidates.push_back(withItems(current, kept));
    }
    if (tryCandidates(current, candidates)) {
      changed = true;
      chunks = std::max<std::size_t>(chunks - 1, 2);
    } else if (chunks >= items.size()) {
      return changed;
    } else {
      chunks = std::min(chunks * 2, items.size());
    }
  }
}

std::uint32_t floatBits(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::vector<std::uint32_t> simplerInts(std::uint32_t value) {
  std::vector<std::uint32_t> simpler;
  for (std::uint32_t candidate : {0u, 1u, 0xFFFFFFFFu, 2u, 0xFFFFFFFEu, 16u})
    if (intRank(candidate) < intRank(value)) simpler.push_back(candidate);
  return simpler;
}

std::vector<std::uint32_t> simplerFloats(std::uint32_t bits) {
  std::vector<std::uint32_t> simpler;
  for (float candidate : {0.0f, 1.0f, -1.0f, 2.0f, -2.0f, 16.0f, -16.0f, 1000.0f, -1000.0f})
    if (floatRank(floatBits(candidate)) < floatRank(bits)) simpler.push_back(floatBits(candidate));
  return simpler;
}

// Each answer made simpler in one place.
void simplerAnswers(const ChaosAnswer& answer, std::vector<ChaosAnswer>& out) {
  auto with = [&](auto change) {
    ChaosAnswer simpler = answer;
    change(simpler);
    out.push_back(simpler);
  };
  for (std::size_t i = 0; i < answer.outs.size(); ++i)
    with([&](ChaosAnswer& a) { a.outs.erase(a.outs.begin() + static_cast<std::ptrdiff_t>(i)); });
  if (answer.result != ResultKind::None) with([](ChaosAnswer& a) { a.result = ResultKind::None, a.value = 0; });
  if (answer.result == ResultKind::Whole) {
    with([](ChaosAnswer& a) {
      a.result = ResultKind::Int;
      a.value &= 0xFFFFFFFFu;
    });
  } else if (answer.result == ResultKind::Int) {
    for (std::uint32_t v : simplerInts(static_cast<std::uint32_t>(answer.value))) with([&](ChaosAnswer& a) { a.value = v; });
  } else if (answer.result == ResultKind::Float) {
    for (std::uint32_t v : simplerFloats(static_cast<std::uint32_t>(answer.value))) with([&](ChaosAnswer& a) { a.value = v; });
  } else if (answer.result == ResultKind::Vector) {
    for (int c = 0; c < 3; ++c)
      for (std::uint32_t v : simplerFloats(answer.components[c])) with([&](ChaosAnswer& a) { a.components[c] = v; });
  }
  for (std::size_t i = 0; i < answer.outs.size(); ++i) {
    const ChaosAnswer::Out& o = answer.outs[i];
    for (std::uint32_t v : o.isFloat ? simplerFloats(o.value) : simplerInts(o.value))
      with([&](ChaosAnswer& a) { a.outs[i].value = v; });
  }
}

// Earlier frames for something in `frame`, no earlier than `lowest`: a
// shorter session may then do.
std::vector<std::uint64_t> earlierFrames(std::uint64_t frame, std::uint64_t lowest) {
  std::vector<std::uint64_t> earlier;
  if (frame <= lowest) return earlier;  // an answer for every frame too
  earlier.push_back(lowest);
  if (frame / 2 > lowest) earlier.push_back(frame / 2);
  if (frame - 1 > lowest && frame - 1 != frame / 2) earlier.push_back(frame - 1);
  return earlier;
}

std::vector<AnswerLine> simplerLines(const AnswerLine& line) {
  std::vector<AnswerLine> simpler;
  auto with = [&](auto change) {
    AnswerLine candidate = line;
    change(candidate);
    simpler.push_back(candidate);
  };
  if (line.sequence.size() > 1) {
    with([](AnswerLine& l) { l.sequence.resize(1); });
    with([](AnswerLine& l) { l.sequence.erase(l.sequence.begin(), l.sequence.end() - 1); });
    with([](AnswerLine& l) { l.sequence.pop_back(); });
  }
  if (line.first != 0) with([](AnswerLine& l) { l.first = l.last = 0; });
  if (line.first != 0 && line.last != line.first) with([](AnswerLine& l) { l.last = l.first; });
  for (std::uint64_t earlier : earlierFrames(line.first, 1))
    with([&](AnswerLine& l) {
      if (l.last != 0) l.last -= l.first - earlier;  // as long as it was
      l.first = earlier;
    });
  for (std::size_t i = 0; i < line.sequence.size(); ++i) {
    std::vector<ChaosAnswer> answers;
    simplerAnswers(line.sequence[i], answers);
    for (const ChaosAnswer& answer : answers) with([&](AnswerLine& l) { l.sequence[i] = answer; });
  }
  return simpler;
}

bool Shrinker::simplerValues(ChaosScenario& current) {
  bool changed = false;
  for (std::size_t i = 0; i < current.answers.size(); ++i) {
    for (;;) {
      std::vector<ChaosScenario> candidates;
      for (const AnswerLine& line : simplerLines(current.answers[i])) {
        candidates.push_back(current);
        candidates.back().answers[i] = line;
      }
      if (!tryCandidates(current, candidates)) break;
      changed = true;
    }
  }
  for (std::size_t i = 0; i < current.keys.size(); ++i) {
    for (;;) {
      std::vector<ChaosScenario> candidates;
      auto with = [&](auto change) {
        candidates.push_back(current);
        change(candidates.back().keys[i]);
      };
      if (current.keys[i].up) with([](KeyLine& key) { key.up = false; });
      if (current.keys[i].repeats != 1) with([](KeyLine& key) { key.repeats = 1; });
      for (std::uint64_t earlier : earlierFrames(current.keys[i].frame, 1)) with([&](KeyLine& key) { key.frame = earlier; });
      if (!tryCandidates(current, candidates)) break;
      changed = true;
    }
  }
  for (std::size_t i = 0; i < current.reloads.size(); ++i) {
    for (;;) {
      std::vector<ChaosScenario> candidates;
      for (std::uint64_t earlier : earlierFrames(current.reloads[i], 2)) {
        candidates.push_back(current);
        candidates.back().reloads[i] = earlier;
      }
      if (!tryCandidates(current, candidates)) break;
      changed = true;
    }
  }
  return changed;
}

}  // namespace

ChaosScenario shrinkScenario(ChaosScenario scenario, std::uint64_t stopFrame, const FirstKeeping& firstKeeping,
                             const std::function<bool()>& timeUp) {
  Shrinker shrinker(firstKeeping, timeUp);
  scenario = clipped(scenario);
  for (bool changed = true; changed && !timeUp();) {
    changed = shrinker.fewerFrames(scenario, stopFrame);
    changed = shrinker.fewerLines(scenario) || changed;
    changed = shrinker.simplerValues(scenario) || changed;
    stopFrame = 0;
  }
  return scenario;
}

}  // namespace standin::chaos
