#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "trigonometry/angle_reduction.h"
#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/sine_cosine_fused.h"
#include "trigonometry/sine_cosine_near.h"

namespace {

struct OutOfRange {
  const char* name;
  std::function<void()> call;
  const char* message;
};

// A road called directly outside its range stops with a message, where it
// would read past its table (the near roads' 52 points, the reduction's
// product) or answer wrongly without a word.
TEST(RangeCheckDeathTest, RoadsCalledOutsideTheirRangeStop) {
#ifndef VANTOMERE_CHECKS
  GTEST_SKIP() << "built without VANTOMERE_CHECKS";
#endif
  const double nan = std::numeric_limits<double>::quiet_NaN();
  SineCosine result{};
  std::vector<OutOfRange> cases = {
      {"quick, 3", [&] { quickSineCosineNear({3.0, 0.0}, result); }, "remainder past the last point"},
      {"quick, -40", [&] { quickSineCosineNear({-40.0, 0.0}, result); }, "remainder past the last point"},
      {"quick, 51.5/64", [&] { quickSineCosineNear({51.5 / 64, 0.0}, result); }, "remainder past the last point"},
      {"quick, NaN", [&] { quickSineCosineNear({nan, 0.0}, result); }, "remainder past the last point"},
      {"accurate, 1", [&] { accurateSineCosineNear({1.0, 0.0}, result); }, "remainder past the last point"},
      {"ordinary reduction, 2^20", [] { reduceOrdinaryAngle(0x1p20); }, "ordinary reduction's range"},
      {"reduction by 2/pi, 2^124", [] { reduceByHalfPi(0x1p124); }, "reduction by 2/pi's range"},
      {"reduction by 2/pi, 0.5", [] { reduceByHalfPi(0.5); }, "reduction by 2/pi's range"},
  };
  if (processorFusesMultiplyAdd()) {
    cases.push_back({"fused, 1e8 degrees", [&] { fusedQuickSineCosine(1.0e8f, result); }, "fused road's range"});
    cases.push_back({"fused, 1e-7 degrees", [&] { fusedQuickSineCosine(1.0e-7f, result); }, "fused road's range"});
  }
  for (const OutOfRange& c : cases) EXPECT_DEATH(c.call(), c.message) << c.name;
}

// The ends of the ranges themselves pass.
TEST(RangeCheck, TheRangesEndsPass) {
  SineCosine result{};
  quickSineCosineNear({std::nextafter(51.5 / 64, 0.0), 0.0}, result);
  accurateSineCosineNear({-std::nextafter(51.5 / 64, 0.0), 0.0}, result);
  reduceOrdinaryAngle(kOrdinaryAngleLimit);
  reduceByHalfPi(std::nextafter(kReductionLimit, 0.0));
  if (processorFusesMultiplyAdd()) {
    EXPECT_TRUE(fusedQuickSineCosine(30000.0f, result));
  }
}

}  // namespace
