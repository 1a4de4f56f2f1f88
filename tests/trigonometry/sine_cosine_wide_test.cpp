#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "trigonometry/angle_reduction.h"
#include "trigonometry/sine_cosine_near.h"
#include "trigonometry/sine_cosine_wide.h"

namespace {

bool accurately(double magnitude, SineCosine& result) {
  const ReducedAngle reduced = reduceAccurately(magnitude);
  SineCosine near{};
  if (!accurateSineCosineNear(reduced.remainder, near)) return false;
  result = turnedByQuadrants(reduced.quadrant, near);
  return true;
}

// Fixed point against double-double: two ways to the nearest doubles that
// share only the reduction's bits of 2/pi, over magnitudes from below the
// tiny-angle shortcut to the top of the range, and beside multiples of pi/2.
TEST(SineCosineWide, AgreesWithTheAccurateRoadAndIsSure) {
  std::vector<double> magnitudes;
  for (double m = 0x1p-29; m < 0x1p+123; m *= 1.37) magnitudes.push_back(m);
  for (int k = 1; k < 200; ++k) {
    const double multiple = k * 1.5707963267948966;
    magnitudes.insert(magnitudes.end(), {std::nextafter(multiple, 0.0), multiple, std::nextafter(multiple, 8.0)});
  }
  for (double magnitude : magnitudes) {
    SineCosine accurate{}, wide{};
    ASSERT_TRUE(accurately(magnitude, accurate)) << magnitude;
    EXPECT_TRUE(wideSineCosineOfMagnitude(magnitude, wide)) << magnitude;
    EXPECT_EQ(wide.sine, accurate.sine) << magnitude;
    EXPECT_EQ(wide.cosine, accurate.cosine) << magnitude;
  }
}

}  // namespace
