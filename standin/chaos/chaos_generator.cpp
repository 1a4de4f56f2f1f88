#include "chaos/chaos_generator.h"

#include <algorithm>

#include "chaos/chaos_random.h"
#include "chaos/chaos_values.h"

namespace standin::chaos {

namespace {

// One of the author's values for the native, now and then.
bool authorsValue(ChaosRandom& random, const NativePlan& native, std::uint32_t& value) {
  if (native.values.empty() || !random.chance(450)) return false;
  value = native.values[random.below(native.values.size())];
  return true;
}

ChaosAnswer::OutKind outKindOf(const NativePlan& native, unsigned slot) {
  const auto declared = native.outKinds.find(slot);
  if (declared == native.outKinds.end()) return ChaosAnswer::OutKind::Word;
  return declared->second == ValueKind::OutFloat   ? ChaosAnswer::OutKind::Float
         : declared->second == ValueKind::OutWhole ? ChaosAnswer::OutKind::Whole
                                                   : ChaosAnswer::OutKind::Vector;
}

ChaosAnswer::Out zeroOut(const NativePlan& native, unsigned slot) {
  ChaosAnswer::Out out{slot, 0, false};
  out.kind = outKindOf(native, slot);
  return out;
}

ChaosAnswer::Out randomOut(ChaosRandom& random, const NativePlan& native, unsigned slot) {
  ChaosAnswer::Out out = zeroOut(native, slot);
  if (out.kind == ChaosAnswer::OutKind::Float) {
    out.value = randomFloatBits(random);
    out.isFloat = true;
    return out;
  }
  if (out.kind == ChaosAnswer::OutKind::Whole) out.wide[0] = randomWhole(random);
  if (out.kind == ChaosAnswer::OutKind::Vector)
    for (std::uint64_t& component : out.wide) component = randomFloatBits(random);
  if (out.kind != ChaosAnswer::OutKind::Word) return out;
  std::uint32_t value = 0;
  if (authorsValue(random, native, value)) return {slot, value, false};
  const bool isFloat = random.chance(400);
  return {slot, isFloat ? randomFloatBits(random) : randomInt(random), isFloat};
}

ChaosAnswer randomAnswer(ChaosRandom& random, const NativePlan& native) {
  ChaosAnswer answer;
  const ValueKind kind = native.returnsNothing ? ValueKind::Out : native.result;  // Out: no result
  switch (kind) {
    case ValueKind::Int: answer.result = ResultKind::Int; answer.value = randomInt(random); break;
    case ValueKind::Handle: answer.result = ResultKind::Int; answer.value = randomHandle(random); break;
    case ValueKind::Hash: answer.result = ResultKind::Int; answer.value = randomHash(random); break;
    case ValueKind::Bool: answer.result = ResultKind::Int; answer.value = randomBool(random); break;
    case ValueKind::Float: answer.result = ResultKind::Float; answer.value = randomFloatBits(random); break;
    case ValueKind::Vector: {
      answer.result = ResultKind::Vector;
      const bool alike = random.chance(300);  // one value for all three, a point on a diagonal
      answer.components[0] = randomFloatBits(random);
      for (int i = 1; i < 3; ++i) answer.components[i] = alike ? answer.components[0] : randomFloatBits(random);
      break;
    }
    case ValueKind::Whole:
    case ValueKind::Unknown: answer.result = ResultKind::Whole; answer.value = randomWhole(random); break;
    default: break;  // no result
  }
  std::uint32_t value = 0;
  if (answer.result == ResultKind::Int && authorsValue(random, native, value)) answer.value = value;
  // An int's upper half is the game's to leave as it likes, now and then.
  if (answer.result == ResultKind::Int && random.chance(30)) {
    answer.result = ResultKind::Whole;
    answer.value |= (random.next() | 1) << 32;
  }
  for (unsigned slot : native.outSlots)
    if (random.chance(800)) answer.outs.push_back(randomOut(random, native, slot));  // else left unwritten
  return answer;
}

// A frame to reach a session of `frames`: early frames more often, where
// plug-ins start up and most short findings lie.
std::uint64_t randomFrame(ChaosRandom& random, std::uint64_t frames, std::uint64_t lowest = 1) {
  if (lowest >= frames) return frames;
  const std::uint64_t span = frames - lowest + 1;
  const std::uint64_t early = std::min<std::uint64_t>(span, 30);
  return lowest + random.below(random.chance(500) ? early : span);
}

AnswerLine randomLine(ChaosRandom& random, const NativePlan& native, std::uint64_t frames, bool everyFrame) {
  AnswerLine line;
  line.native = native.hash;
  if (!everyFrame) {
    line.first = randomFrame(random, frames);
    const unsigned shape = static_cast<unsigned>(random.below(3));
    line.last = shape == 0 ? line.first : shape == 1 ? 0 : line.first + random.below(frames - line.first + 1);
  }
  const std::size_t calls = random.chance(750) ? 1 : static_cast<std::size_t>(random.between(2, 4));
  for (std::size_t i = 0; i < calls; ++i) line.sequence.push_back(randomAnswer(random, native));
  return line;
}

// The entity is gone: from a frame on, the native answers 0 and writes 0.
AnswerLine goneLine(ChaosRandom& random, const NativePlan& native, std::uint64_t frames) {
  AnswerLine line;
  line.native = native.hash;
  line.first = static_cast<std::uint64_t>(random.between(2, static_cast<std::int64_t>(std::max<std::uint64_t>(frames, 2))));
  ChaosAnswer gone;
  if (!native.returnsNothing) gone.result = native.result == ValueKind::Float ? ResultKind::Float : ResultKind::Int;
  if (native.result == ValueKind::Vector) gone.result = ResultKind::Vector;
  // Zero of the variable's own kind: a bare 0 reads as three values for an out-vector.
  for (unsigned slot : native.outSlots) gone.outs.push_back(zeroOut(native, slot));
  line.sequence.push_back(gone);
  return line;
}

KeyLine randomKey(ChaosRandom& random, const ChaosPlan& plan, std::uint64_t frames) {
  KeyLine key;
  key.frame = randomFrame(random, frames);
  key.code = randomKeyCode(random, plan.keyHints.data(), plan.keyHints.size());
  key.up = random.chance(250);
  if (random.chance(100)) {
    static const std::uint32_t repeats[] = {0, 2, 30, 0xFFFF};
    key.repeats = repeats[random.below(4)];
  }
  return key;
}

// A few keys, or now and then a storm: each function key and the author's
// once, at random frames, for the shrinker to pick the ones that matter.
void addKeys(ChaosRandom& random, const ChaosPlan& plan, ChaosScenario& session) {
  const std::uint64_t frames = session.frames;
  if (random.chance(250)) {
    std::vector<std::uint32_t> codes = plan.keyHints;
    for (std::uint32_t code = 0x70; code <= 0x7B; ++code) codes.push_back(code);
    for (std::uint32_t code : codes) session.keys.push_back({randomFrame(random, frames), code, false, 1});
  }
  const auto count = random.between(1, 6);
  for (std::int64_t i = 0; i < count; ++i) {
    session.keys.push_back(randomKey(random, plan, frames));
    if (!session.keys.back().up && random.chance(300)) {  // released again, a little later
      KeyLine release = session.keys.back();
      release.up = true;
      release.frame = std::min(frames, release.frame + random.below(5));
      session.keys.push_back(release);
    }
  }
  std::stable_sort(session.keys.begin(), session.keys.end(),
                   [](const KeyLine& a, const KeyLine& b) { return a.frame < b.frame; });
}

}  // namespace

ChaosAnswer randomAnswerOf(ChaosRandom& random, const NativePlan& native) { return randomAnswer(random, native); }
KeyLine randomKeyOf(ChaosRandom& random, const ChaosPlan& plan, std::uint64_t frames) {
  return randomKey(random, plan, frames);
}
std::uint64_t randomFrameOf(ChaosRandom& random, std::uint64_t frames, std::uint64_t lowest) {
  return randomFrame(random, frames, lowest);
}

NativePlan planFor(std::uint64_t hash, const NativeSignature* signature, const std::vector<unsigned>& seenOutSlots) {
  NativePlan plan;
  plan.hash = hash;
  plan.outSlots = seenOutSlots;
  if (signature) {
    plan.result = signature->result;
    plan.returnsNothing = signature->result == ValueKind::Unknown;
    for (unsigned slot = 0; slot < signature->slots.size(); ++slot)
      if (isOutKind(signature->slots[slot])) {
        plan.outSlots.push_back(slot);
        if (signature->slots[slot] != ValueKind::Out) plan.outKinds[slot] = signature->slots[slot];
      }
  }
  std::sort(plan.outSlots.begin(), plan.outSlots.end());
  plan.outSlots.erase(std::unique(plan.outSlots.begin(), plan.outSlots.end()), plan.outSlots.end());
  return plan;
}

ChaosScenario generateSession(const ChaosPlan& plan, std::uint64_t seed, std::uint64_t index) {
  ChaosRandom random(seed, index);
  ChaosScenario session = plan.base;
  const std::uint64_t frames = session.frames;
  for (NativePlan native : plan.natives) {
    const auto values = plan.values.find(native.hash);
    if (values != plan.values.end()) native.values = values->second;
    if (native.returnsNothing && native.outSlots.empty()) continue;
    if (!random.chance(850)) continue;  // left to the stand-in: 0, or what the base says
    const bool everyFrame = random.chance(650);
    session.answers.push_back(randomLine(random, native, frames, everyFrame));
    // Other answers for a while: the game's state moves on during a session.
    for (int more = 0; more < 2 && random.chance(450); ++more)
      session.answers.push_back(randomLine(random, native, frames, false));
    // Entities come and go: what answers handles or fills variables most
    // often. Written last, so that it wins over the lines before it.
    const bool entity = native.result == ValueKind::Handle || !native.outSlots.empty();
    if (random.chance(entity ? 350 : 150)) session.answers.push_back(goneLine(random, native, frames));
  }
  if (plan.keys && random.chance(750)) addKeys(random, plan, session);
  if (plan.reloads && frames >= 2 && random.chance(350)) {
    const auto count = random.between(1, 2);
    for (std::int64_t i = 0; i < count; ++i) session.reloads.push_back(randomFrame(random, frames, 2));
    std::sort(session.reloads.begin(), session.reloads.end());
    session.reloads.erase(std::unique(session.reloads.begin(), session.reloads.end()), session.reloads.end());
  }
  return session;
}

}  // namespace standin::chaos
