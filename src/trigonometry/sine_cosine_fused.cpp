#include "trigonometry/sine_cosine_fused.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "trigonometry/range_check.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_turn_table.h"

// The bound, relative to y = sin x or cos x; |t| <= pi/512 (a hair more), so
// z = t^2 <= 2^-14.7; the entry's first term A and |B t| are at most 2|y|
// and |y| (a point's neighbours lie at least half a step from the axes).
//  - Reduction: t + tLow is within 2^-106 |t| + 2^-140 of x - n pi/256
//    (below); relative to y that is 2^-79.5 at worst, where y = sin t and
//    no float angle comes nearer a multiple of pi/2 than 2^-60.49.
//  - The table to 2^-100; the parts left out: A's low part times cos t - 1
//    (2^-67.7), B's low part times sin t - t (2^-70.3), the series' next
//    terms (2^-73).
//  - cos t - 1 from the rounded z, its two steps and product: 3 roundings of
//    2^-53 times 2^-15.7 |A| (2^-66.1); then the sum with t * tLow and the
//    product-sum with A (2^-67.7 each).
//  - sin t - t: 4.5 roundings times 2^-17.3 |B t| (2^-68.1), then its sum
//    with tLow and its product-sum with B (2^-70.3 each).
//  - The two sums of the low parts, each below 2^-14.5 |y| (2^-67.5 each).
// In all 2^-64.4 |y|. So where head + (low - E) and head + (low + E), with
// E = 2^-64 |head|, round to the same double, so does y, rounding being
// monotonic: low +- E round by 2^-67.4 |y| at most, and |head| >= |y| (1 - 2^-14).
namespace {

constexpr double kPointsPerDegree = kTurnPointCount / 360.0;
constexpr double kErrorBound = 0x1p-64;

// Lanes whose two results round alike at both ends of the error interval.
bool roundsAlike(const double (&up)[2], const double (&down)[2]) {
  std::uint64_t upBits[2], downBits[2];
  std::memcpy(upBits, up, sizeof upBits);
  std::memcpy(downBits, down, sizeof downBits);
  return ((upBits[0] ^ downBits[0]) | (upBits[1] ^ downBits[1])) == 0;
}

VANTOMERE_FUSED_ROAD inline bool quickly(double d, double x, SineCosine& result) {
  // n from the degrees, beside x: any whole number within a hair of
  // x * 256/pi will do. Its low bits, two's complement, pick the point.
  const double shifted = std::fma(d, kPointsPerDegree, kRoundingShift);
  const double n = shifted - kRoundingShift;
  std::uint64_t shiftedBits = 0;
  std::memcpy(&shiftedBits, &shifted, sizeof shiftedBits);
  const TurnPoint& p = kTurnPoints[shiftedBits & (kTurnPointCount - 1)];
  // Exact: x - n * step1 is a multiple of 2^-60 below 2^-7 (for |x| >=
  // 2^-8; below, n is 0). n * step2 comes out whole as m + mLow, and the
  // sum with it too; only n * step3 and the last two sums round, by 2^-140
  // and 2^-106 |t|, with 2^-145 for the part of pi/256 left out (|n| < 2^25.4).
  const double first = std::fma(-n, kTurnStep1, x);
  const double m = n * kTurnStep2;
  const double mLow = std::fma(n, kTurnStep2, -m);
  const DoubleDouble split = twoSum(first, -m);
  const double t = split.hi;
  const double tLow = split.lo - std::fma(n, kTurnStep3, mLow);
  // cos t - 1 and sin t - t, each to its t^8 term.
  const double z = t * t;
  const double cosineRest = z * std::fma(z, std::fma(z, -1.0 / 720.0, 1.0 / 24.0), -0.5);
  const double sineRest = t * z * std::fma(z, std::fma(z, -1.0 / 5040.0, 1.0 / 120.0), -1.0 / 6.0);
  const double aSmall = std::fma(-t, tLow, cosineRest);
  const double bSmall = tLow + sineRest;
  double up[2], down[2];
  for (int i = 0; i < 2; ++i) {
    // A + B t exactly as head + headLow + btLow; the rest, below 2^-14.5
    // of the result, in double.
    const double b = turnedLane(p.a, i), bLow = turnedLane(p.aLow, i);
    const double bt = b * t;
    const double btLow = std::fma(b, t, -bt);
    const double head = p.a[i] + bt;  // |A| >= 2 |B t| or A = 0
    const double headLow = bt - (head - p.a[i]);
    const double lowA = std::fma(p.a[i], aSmall, p.aLow[i]);
    const double lowB = std::fma(b, bSmall, std::fma(bLow, t, btLow));
    const double low = (lowA + lowB) + headLow;
    const double margin = std::fabs(head) * kErrorBound;
    up[i] = head + (low + margin);
    down[i] = head + (low - margin);
  }
  result = {up[0], up[1]};
  return roundsAlike(up, down);
}

}  // namespace

VANTOMERE_FUSED_ROAD bool fusedQuickSineCosine(float degrees, SineCosine& result) {
  const double d = static_cast<double>(degrees);
  const double x = d * kRadiansPerDegree;
  VANTOMERE_RANGE_CHECK(std::fabs(x) >= kTinyAngle && std::fabs(x) <= kOrdinaryAngleLimit,
                        "angle outside the fused road's range (2^-27 to 2^19 radians)");
  return quickly(d, x, result);
}

VANTOMERE_FUSED_ROAD SineCosine fusedSineCosineOfDegrees(float degrees) {
  const double d = static_cast<double>(degrees);
  const double x = d * kRadiansPerDegree;
  if (!(std::fabs(x) >= kTinyAngle && std::fabs(x) <= kOrdinaryAngleLimit)) return splitSineCosineOfDegrees(degrees);
  SineCosine result{};
  if (quickly(d, x, result)) return result;
  return accurateSineCosineOfDegrees(degrees);
}
