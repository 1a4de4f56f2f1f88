// Session i of a chaos run, from the seed and i alone: answers for the
// natives the plug-in calls, by the kinds their names files declare, keys
// and reloads at random frames, added to the base scenario.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "chaos/chaos_scenario.h"
#include "base/native_names.h"
#include "chaos/chaos_random.h"

namespace standin::chaos {

// A native the generator answers.
struct NativePlan {
  std::uint64_t hash = 0;
  ValueKind result = ValueKind::Unknown;  // Unknown: any 64-bit value
  bool returnsNothing = false;            // declared without a result: out-variables only
  std::vector<unsigned> outSlots;         // argument slots that are the plug-in's variables
  std::vector<std::uint32_t> values;      // `chaos values`: the author's, answered often
  std::map<unsigned, ValueKind> outKinds = {};  // out slots declared out-float, out-whole or out-vector
};

struct ChaosPlan {
  ChaosScenario base;                 // the base scenario as the model holds it
  std::vector<NativePlan> natives;    // in a fixed order
  std::vector<std::uint32_t> keyHints;  // `chaos keys`: codes the plug-in watches
  std::map<std::uint64_t, std::vector<std::uint32_t>> values;  // `chaos values`, by native
  bool keys = true;                   // `chaos keep keys` turns them off
  bool reloads = true;                // `chaos keep reloads`
};

// The native's plan from its declaration in the names files (null: none),
// and the argument slots a trace showed as the plug-in's variables.
NativePlan planFor(std::uint64_t hash, const NativeSignature* signature, const std::vector<unsigned>& seenOutSlots);

ChaosScenario generateSession(const ChaosPlan& plan, std::uint64_t seed, std::uint64_t index);

// The generator's pieces, for the mutations of seeds: an answer of the
// native's kinds (its `chaos values` in `native.values`), a key, a frame.
ChaosAnswer randomAnswerOf(ChaosRandom& random, const NativePlan& native);
KeyLine randomKeyOf(ChaosRandom& random, const ChaosPlan& plan, std::uint64_t frames);
std::uint64_t randomFrameOf(ChaosRandom& random, std::uint64_t frames, std::uint64_t lowest = 1);

}  // namespace standin::chaos
