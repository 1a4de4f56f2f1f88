#include "trigonometry/sine_cosine_wide.h"

#include <cstddef>
#include <cstdint>

#include "trigonometry/angle_reduction.h"
#include "trigonometry/sine_cosine_near.h"
#include "trigonometry/wide_fixed.h"

namespace {

constexpr int kSeriesTerms = 60;  // r <= pi/4: the 60th term is below 2^-270

// pi/2 to 224 bits after the point.
constexpr WideFixed kHalfPi = {{0x04177D4C, 0x14CF98E8, 0x52049C11, 0x01B839A2, 0x898CC517, 0x42D18469,
                                0x921FB544, 0x00000001}};
constexpr WideFixed kOne = {{0, 0, 0, 0, 0, 0, 0, 1}};

// The error of r and of the series together, in units of 2^-224: the
// reduction leaves r within 2^-191 (its 192 bits of f), the 60 terms each
// within four units.
constexpr WideFixed kErrorBound = {{0, 0x4, 0, 0, 0, 0, 0, 0}};

// r, |r| <= pi/4, as the reduction leaves it, with the sign apart.
struct WideRemainder {
  unsigned quadrant;
  bool negative;
  WideFixed magnitude;
};

WideRemainder wideRemainder(double magnitude) {
  if (magnitude <= kBelowQuarterPi) return {0, false, wideFromDouble(magnitude)};
  const HalfPiFraction fraction = fractionOfHalfPi(magnitude);
  WideFixed f{};  // f * 2^192 moved up one limb: f in units of 2^-224
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint64_t word = fraction.words[2 - i];
    f.limbs[1 + 2 * i] = static_cast<std::uint32_t>(word);
    f.limbs[2 + 2 * i] = static_cast<std::uint32_t>(word >> 32);
  }
  return {fraction.quadrant, fraction.negative, times(f, kHalfPi)};
}

// Sums of the terms r^n / n! by their sign in the two series.
struct SeriesParts {
  WideFixed sinePlus, sineMinus, cosinePlus, cosineMinus;
};

SeriesParts seriesParts(const WideFixed& r) {
  SeriesParts parts{{}, {}, kOne, {}};
  WideFixed term = kOne;
  for (std::uint32_t n = 1; n <= kSeriesTerms; ++n) {
    term = dividedBy(times(term, r), n);
    WideFixed* const sums[4] = {&parts.cosinePlus, &parts.sinePlus, &parts.cosineMinus, &parts.sineMinus};
    WideFixed& sum = *sums[n % 4];
    sum = plus(sum, term);
  }
  return parts;
}

// The double nearest a value known to lie within kErrorBound of the
// estimate, and whether the two ends of that interval round alike.
bool roundsSurely(const WideFixed& estimate, double& nearest) {
  nearest = nearestDouble(estimate);
  return nearestDouble(plus(estimate, kErrorBound)) == nearestDouble(minus(estimate, kErrorBound));
}

}  // namespace

bool wideSineCosineOfMagnitude(double magnitude, SineCosine& result) {
  // Below kTinyAngle, sin r lies below r by r^3/6 < 2^-56.5 r, short of the midpoint
  // below r (2^-55 r away at least), and cos r below 1 by r^2/2 < 2^-55, short
  // of the midpoint below 1 (2^-54 away): they round to r and 1.
  if (magnitude < kTinyAngle) {
    result = {magnitude, 1.0};
    return true;
  }
  const WideRemainder r = wideRemainder(magnitude);
  const SeriesParts parts = seriesParts(r.magnitude);
  SineCosine near{};
  const bool sureSine = roundsSurely(minus(parts.sinePlus, parts.sineMinus), near.sine);
  const bool sureCosine = roundsSurely(minus(parts.cosinePlus, parts.cosineMinus), near.cosine);
  if (r.negative) near.sine = -near.sine;
  result = turnedByQuadrants(r.quadrant, near);
  return sureSine && sureCosine;
}
