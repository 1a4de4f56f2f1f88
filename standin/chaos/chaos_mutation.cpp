#include "chaos/chaos_mutation.h"

#include <algorithm>

namespace standin::chaos {

namespace {

// Apart from the blind stream of the same index, which the fifth session plays.
constexpr std::uint64_t kGuidedStream = 0x6A09E667F3BCC909u;
constexpr std::size_t kMostAnswers = 48, kMostKeys = 48, kMostReloads = 8;

template <typename T>
T& pick(ChaosRandom& random, std::vector<T>& items) {
  return items[random.below(items.size())];
}

const Seed& pickSeed(ChaosRandom& random, const SeedList& seeds) { return *seeds[random.below(seeds.size())]; }

const NativePlan* planOf(const ChaosPlan& plan, std::uint64_t native) {
  for (const NativePlan& candidate : plan.natives)
    if (candidate.hash == native) return &candidate;
  return nullptr;
}

NativePlan withValues(const ChaosPlan& plan, NativePlan native) {
  const auto values = plan.values.find(native.hash);
  if (values != plan.values.end()) native.values = values->second;
  return native;
}

// A value next to the one there: what turns a count past a limit.
void neighbour(ChaosRandom& random, ChaosAnswer& answer) {
  const bool up = random.chance(500);
  if (answer.result == ResultKind::Int) answer.value = static_cast<std::uint32_t>(answer.value + (up ? 1 : -1));
  else if (answer.result == ResultKind::Whole) answer.value += up ? 1 : ~std::uint64_t{0};
  for (ChaosAnswer::Out& out : answer.outs)
    if (out.kind == ChaosAnswer::OutKind::Word && !out.isFloat) out.value += up ? 1u : ~0u;
}

// An edge for an int: 0, 1, -1, a small count, an extreme.
void edge(ChaosRandom& random, ChaosAnswer& answer) {
  const std::uint32_t value = random.chance(200)  ? (random.chance(500) ? 0x7FFFFFFFu : 0x80000000u)
                              : random.chance(300) ? static_cast<std::uint32_t>(random.between(-1, 1))
                                                   : static_cast<std::uint32_t>(random.between(2, 16));
  if (answer.result == ResultKind::Int) answer.value = value;
  for (ChaosAnswer::Out& out : answer.outs)
    if (out.kind == ChaosAnswer::OutKind::Word && !out.isFloat) out.value = value;
}

// An answer of the same native from another seed, when one has it.
bool fromAnotherSeed(ChaosRandom& random, const SeedList& seeds, std::uint64_t native, ChaosAnswer& answer) {
  std::vector<const ChaosAnswer*> found;
  for (const AnswerLine& line : pickSeed(random, seeds).scenario.answers)
    if (line.native == native)
      for (const ChaosAnswer& other : line.sequence) found.push_back(&other);
  if (found.empty()) return false;
  answer = *found[random.below(found.size())];
  return true;
}

// A native the seed called, now and then any the plan answers; null: none.
const NativePlan* nativeToChange(const ChaosPlan& plan, const std::vector<std::uint64_t>& called, ChaosRandom& random) {
  std::vector<const NativePlan*> answered;
  for (std::uint64_t native : called)
    if (const NativePlan* known = planOf(plan, native)) answered.push_back(known);
  if (!answered.empty() && random.chance(850)) return answered[random.below(answered.size())];
  return plan.natives.empty() ? nullptr : &plan.natives[random.below(plan.natives.size())];
}

// The edge values of an int one frame after another, from a frame on: the
// plug-in sees each of them once, whichever it takes a branch on, and what
// the session does later comes after all of them.
void sweep(const NativePlan& native, ChaosRandom& random, ChaosScenario& session) {
  const std::uint64_t start = randomFrameOf(random, session.frames);
  for (std::int32_t value = -1; value <= 16 && start + static_cast<std::uint64_t>(value + 1) <= session.frames; ++value) {
    AnswerLine line;
    line.native = native.hash;
    line.first = line.last = start + static_cast<std::uint64_t>(value + 1);
    ChaosAnswer answer;
    answer.result = ResultKind::Int;
    answer.value = static_cast<std::uint32_t>(value);
    line.sequence.push_back(answer);
    session.answers.push_back(line);
  }
}

void changeAnswer(const ChaosPlan& plan, const SeedList& seeds, const std::vector<std::uint64_t>& called,
                  ChaosRandom& random, ChaosScenario& session) {
  const NativePlan* native = nativeToChange(plan, called, random);
  if (!native || (native->returnsNothing && native->outSlots.empty())) return;
  if (native->result == ValueKind::Int && !native->returnsNothing && random.chance(200)) {
    sweep(*native, random, session);
    return;
  }
  std::vector<AnswerLine*> lines;
  for (AnswerLine& line : session.answers)
    if (line.native == native->hash) lines.push_back(&line);
  if (lines.empty() || random.chance(150)) {
    AnswerLine line;
    line.native = native->hash;
    line.sequence.push_back(randomAnswerOf(random, withValues(plan, *native)));
    session.answers.push_back(line);  // after the seed's lines of the native: it wins over them
    return;
  }
  AnswerLine& line = *lines[random.below(lines.size())];
  ChaosAnswer& answer = pick(random, line.sequence);
  switch (random.below(4)) {
    case 0: edge(random, answer); break;
    case 1: neighbour(random, answer); break;
    case 2:
      if (fromAnotherSeed(random, seeds, line.native, answer)) break;
      [[fallthrough]];
    default: answer = randomAnswerOf(random, withValues(plan, *native));
  }
}

// When an answer holds: every frame, one frame, or from a frame on.
void moveAnswer(ChaosRandom& random, ChaosScenario& session) {
  if (session.answers.empty()) return;
  AnswerLine& line = pick(random, session.answers);
  const unsigned shape = static_cast<unsigned>(random.below(3));
  line.first = shape == 0 ? 0 : randomFrameOf(random, session.frames);
  line.last = shape == 1 ? line.first : 0;
}

std::uint64_t movedFrame(ChaosRandom& random, std::uint64_t frame, std::uint64_t frames, std::uint64_t lowest) {
  if (random.chance(500)) return randomFrameOf(random, frames, lowest);
  const std::uint64_t step = 1 + random.below(3);
  return random.chance(500) ? std::min(frames, frame + step) : std::max(lowest, frame > step ? frame - step : lowest);
}

void changeKeys(const ChaosPlan& plan, ChaosRandom& random, ChaosScenario& session) {
  const unsigned what = session.keys.empty() ? 0 : static_cast<unsigned>(random.below(3));
  if (what == 0) session.keys.push_back(randomKeyOf(random, plan, session.frames));
  if (what == 1) {
    KeyLine& key = pick(random, session.keys);
    key.frame = movedFrame(random, key.frame, session.frames, 1);
  }
  if (what == 2) session.keys.erase(session.keys.begin() + static_cast<std::ptrdiff_t>(random.below(session.keys.size())));
}

void changeReloads(ChaosRandom& random, ChaosScenario& session) {
  if (session.frames < 2) return;
  const unsigned what = session.reloads.empty() ? 0 : static_cast<unsigned>(random.below(3));
  if (what == 0) session.reloads.push_back(randomFrameOf(random, session.frames, 2));
  if (what == 1) {
    std::uint64_t& reload = pick(random, session.reloads);
    reload = movedFrame(random, reload, session.frames, 2);
  }
  if (what == 2) session.reloads.erase(session.reloads.begin() + static_cast<std::ptrdiff_t>(random.below(session.reloads.size())));
}

// This session up to a frame, another seed's from it on.
void splice(const SeedList& seeds, ChaosRandom& random, ChaosScenario& session) {
  const ChaosScenario& other = pickSeed(random, seeds).scenario;
  const std::uint64_t at = randomFrameOf(random, session.frames);
  const auto later = [at](std::uint64_t frame) { return frame >= at; };
  session.answers.erase(std::remove_if(session.answers.begin(), session.answers.end(),
                                       [&](const AnswerLine& line) { return line.first != 0 && later(line.first); }),
                        session.answers.end());
  for (const AnswerLine& line : other.answers)
    if (line.first != 0 && later(line.first)) session.answers.push_back(line);
  session.keys.erase(std::remove_if(session.keys.begin(), session.keys.end(), [&](const KeyLine& key) { return later(key.frame); }),
                     session.keys.end());
  for (const KeyLine& key : other.keys)
    if (later(key.frame)) session.keys.push_back(key);
  session.reloads.erase(std::remove_if(session.reloads.begin(), session.reloads.end(), later), session.reloads.end());
  for (std::uint64_t reload : other.reloads)
    if (later(reload)) session.reloads.push_back(reload);
}

// A session that only ever grows would soon be all answers.
template <typename T>
void trim(ChaosRandom& random, std::vector<T>& items, std::size_t most) {
  while (items.size() > most) items.erase(items.begin() + static_cast<std::ptrdiff_t>(random.below(items.size())));
}

}  // namespace

void mutateSession(const ChaosPlan& plan, const SeedList& seeds, const std::vector<std::uint64_t>& called,
                   ChaosRandom& random, ChaosScenario& session) {
  const std::uint64_t roll = random.below(100);
  if (roll < 45) changeAnswer(plan, seeds, called, random, session);
  else if (roll < 55) moveAnswer(random, session);
  else if (roll < 75) { if (plan.keys) changeKeys(plan, random, session); }
  else if (roll < 85) { if (plan.reloads) changeReloads(random, session); }
  else if (!seeds.empty()) splice(seeds, random, session);
  trim(random, session.answers, kMostAnswers);
  trim(random, session.keys, kMostKeys);
  trim(random, session.reloads, kMostReloads);
  std::stable_sort(session.keys.begin(), session.keys.end(), [](const KeyLine& a, const KeyLine& b) { return a.frame < b.frame; });
  std::sort(session.reloads.begin(), session.reloads.end());
  session.reloads.erase(std::unique(session.reloads.begin(), session.reloads.end()), session.reloads.end());
}

ChaosScenario guidedSession(const ChaosPlan& plan, const SeedList& seeds, std::uint64_t seed, std::uint64_t index) {
  if (seeds.empty()) return generateSession(plan, seed, index);
  ChaosRandom random(seed ^ kGuidedStream, index);
  if (!random.chance(800)) return generateSession(plan, seed, index);
  const Seed& start = pickSeed(random, seeds);
  ChaosScenario session = start.scenario;
  for (std::uint64_t count = std::uint64_t{1} << random.below(3); count > 0; --count)
    mutateSession(plan, seeds, start.called, random, session);
  return session;
}

}  // namespace standin::chaos
