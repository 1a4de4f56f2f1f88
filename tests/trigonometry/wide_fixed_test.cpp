#include <gtest/gtest.h>

#include <cmath>

#include "trigonometry/wide_fixed.h"

namespace {

WideFixed sumOf(std::initializer_list<double> parts) {
  WideFixed sum{};
  for (double part : parts) sum = plus(sum, wideFromDouble(part));
  return sum;
}

// Round to nearest, ties to even, decided by the bits below the 53rd: the
// wide road's answer is only as good as this.
TEST(WideFixed, NearestDoubleRoundsHalfToEvenAndAnyBitBeyondHalfUp) {
  const struct {
    WideFixed value;
    double nearest;
  } cases[] = {
      {sumOf({1.0, 0x1p-53}), 1.0},
      {sumOf({1.0, 0x1p-52, 0x1p-53}), 1.0 + 0x1p-51},
      {sumOf({1.0, 0x1p-53, 0x1p-224}), 1.0 + 0x1p-52},
      {sumOf({1.0, 0x1p-54, 0x1p-200}), 1.0},
      {sumOf({0x1p-60, 0x1p-113}), 0x1p-60},
      {sumOf({0x1.fffffffffffffp-1, 0x1p-54}), 1.0},
      {sumOf({3.0, 0x1p-171}), 3.0},
  };
  for (const auto& c : cases) EXPECT_EQ(nearestDouble(c.value), c.nearest) << c.nearest;
}

// Against the same sums in double, where they are exact.
TEST(WideFixed, ArithmeticAgreesWithDoublesWhereTheyAreExact) {
  const WideFixed a = wideFromDouble(0.75), b = wideFromDouble(1.5);
  EXPECT_EQ(nearestDouble(times(a, b)), 1.125);
  EXPECT_EQ(nearestDouble(minus(b, a)), 0.75);
  EXPECT_EQ(nearestDouble(dividedBy(b, 3)), 0.5);
  EXPECT_EQ(nearestDouble(shiftedRight(b, 33)), 0x1.8p-33);
  EXPECT_EQ(nearestDouble(dividedBy(wideFromDouble(1.0), 3)), 1.0 / 3.0);
}

}  // namespace
