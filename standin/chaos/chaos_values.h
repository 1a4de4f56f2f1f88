// The values a chaos session answers with, by the kind a names file declares:
// edge values weighted heavily (0, 1, -1, small counts, the kind's extremes,
// NaNs, infinities, denormals, -0, huge coordinates), ordinary ones beside them.
#pragma once

#include <cstdint>

#include "chaos/chaos_random.h"

namespace standin::chaos {

std::uint32_t randomInt(ChaosRandom& random);
std::uint32_t randomHandle(ChaosRandom& random);
std::uint32_t randomHash(ChaosRandom& random);
std::uint32_t randomBool(ChaosRandom& random);
std::uint32_t randomFloatBits(ChaosRandom& random);
std::uint64_t randomWhole(ChaosRandom& random);
// A key code: one of `hints` (an author's), a key a plug-in is likely to
// watch, or any 32-bit value.
std::uint32_t randomKeyCode(ChaosRandom& random, const std::uint32_t* hints, std::size_t hintCount);

// How far a value is from the simplest ones, for the shrinker: it only ever
// replaces a value with one of a lower rank.
int intRank(std::uint32_t value);
int floatRank(std::uint32_t bits);

}  // namespace standin::chaos
