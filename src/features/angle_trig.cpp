#include "features/angle_trig.h"

#include <cmath>

#include "features/angle_reduction.h"
#include "features/sine_cosine_near.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kBelowQuarterPi = 0.78539816339744828;  // the double just below pi/4

// Enough for the quick road, whose error is far above the ordinary
// reduction's n * 2^-86.
ReducedAngle reduceQuickly(double magnitude) {
  if (magnitude <= kBelowQuarterPi) return {0, {magnitude, 0.0}};
  if (magnitude <= kOrdinaryAngleLimit) return reduceOrdinaryAngle(magnitude);
  return reduceByHalfPi(magnitude);
}

// For the accurate road, which the quick one leaves exactly the angles whose
// sine or cosine lies closest to a midpoint between two doubles.
ReducedAngle reduceAccurately(double magnitude) {
  if (magnitude <= kBelowQuarterPi) return {0, {magnitude, 0.0}};
  return reduceByHalfPi(magnitude);
}

}  // namespace

SineCosine sineCosineOfDegrees(float degrees) {
  const double radians = static_cast<double>(degrees) * kRadiansPerDegree;
  if (!std::isfinite(radians)) {
    const double notANumber = radians - radians;
    return {notANumber, notANumber};
  }
  const double magnitude = std::fabs(radians);
  ReducedAngle reduced = reduceQuickly(magnitude);
  SineCosine near{};
  if (!quickSineCosineNear(reduced.remainder, near)) {
    reduced = reduceAccurately(magnitude);
    near = accurateSineCosineNear(reduced.remainder);
  }
  const double quadrantSine[4] = {near.sine, near.cosine, -near.sine, -near.cosine};
  const double quadrantCosine[4] = {near.cosine, -near.sine, -near.cosine, near.sine};
  const double sine = quadrantSine[reduced.quadrant];
  return {std::signbit(radians) ? -sine : sine, quadrantCosine[reduced.quadrant]};
}
