#include <gtest/gtest.h>

#include <cmath>

#include "trigonometry/angle_reduction.h"

namespace {

// magnitude - quadrant * pi/2 (modulo 2 pi), worked out with 600-bit
// arithmetic: the float angles nearest a multiple of pi/2 (2610 and 90
// degrees), the largest float, both sides of the end of the ordinary
// reduction and of pi/4, and the top of the range.
struct ExactRemainder {
  double magnitude;
  unsigned quadrant;
  DoubleDouble remainder;
  const char* name;
};

const ExactRemainder kExactRemainders[] = {
    {0x1.6c6cbc45dc8dep+5, 1, {0x1.6d61b58c99c43p-61, -0x1.d8d2a16b7bd6ep-118}, "2610 degrees"},
    {0x1.921fb54442d18p+0, 1, {-0x1.1a62633145c07p-54, 0x1.f1976b7ed8fbcp-110}, "90 degrees"},
    {0x1.1df4690735697p+122, 1, {-0x1.ef0b92f8df809p-3, -0x1.fe6d1899ce124p-57}, "largest float"},
    {0x1.c328340cc173fp+93, 3, {-0x1.4039e4203319cp-2, -0x1.8acb403770f4ap-56}, "1e30 degrees"},
    {0x1.17aad40f69200p+39, 3, {0x1.775059755520cp-1, 0x1.426431e15d2cdp-58}, "-3.44e13 degrees"},
    {0x1.0000100000000p+19, 0, {0x1.563a3b04b02aap-1, 0x1.95c955afd3e7bp-57}, "just past 2^19"},
    {0x1.921fb54442d19p-1, 1, {-0x1.921fb54442d18p-1, 0x1.cb3b399d747f2p-55}, "just past pi/4"},
    {0x1p+123, 2, {0x1.589bfb31f1687p-5, 0x1.1994c1edb7977p-62}, "2^123"},
};

double relativeError(DoubleDouble got, DoubleDouble exact) {
  return std::fabs((got.hi - exact.hi) + (got.lo - exact.lo)) / std::fabs(exact.hi);
}

// The accurate road counts on 2^-102.4 (the budget in angle_reduction.h) even
// beside a multiple of pi/2.
TEST(AngleReduction, ByHalfPiKeepsItsBoundEvenNearestAMultiple) {
  for (const auto& c : kExactRemainders) {
    const ReducedAngle reduced = reduceByHalfPi(c.magnitude);
    EXPECT_EQ(reduced.quadrant, c.quadrant) << c.name;
    EXPECT_LE(relativeError(reduced.remainder, c.remainder), std::exp2(-102.4)) << c.name;
  }
}

// Two reductions that share nothing but pi agree over the ordinary range,
// to the ordinary one's bound, wherever they pick the same multiple.
TEST(AngleReduction, OrdinaryAgreesWithByHalfPi) {
  int compared = 0;
  for (double magnitude = 0.8; magnitude <= kOrdinaryAngleLimit; magnitude = magnitude * 1.0137 + 0.31) {
    const ReducedAngle ordinary = reduceOrdinaryAngle(magnitude);
    const ReducedAngle wide = reduceByHalfPi(magnitude);
    if (std::fabs(wide.remainder.hi) > 0.78) continue;  // either multiple may be taken
    ++compared;
    EXPECT_EQ(ordinary.quadrant, wide.quadrant) << magnitude;
    EXPECT_LE(relativeError(ordinary.remainder, wide.remainder), 0x1p-70) << magnitude;
  }
  EXPECT_GT(compared, 500);
}

}  // namespace
