#include "trigonometry/roads_of_degrees.h"

#include <cmath>

#include "trigonometry/angle_reduction.h"
#include "trigonometry/sine_cosine_near.h"
#include "trigonometry/sine_cosine_wide.h"

namespace {

// Enough for the quick road, whose error is far above the ordinary
// reduction's n * 2^-86. Below pi/4 that reduction leaves the magnitude as it
// is, without a branch for random angles to mislead.
ReducedAngle reduceQuickly(double magnitude) {
  if (magnitude <= kOrdinaryAngleLimit) return reduceOrdinaryAngle(magnitude);
  return reduceByHalfPi(magnitude);
}

// The accurate road, and the wide one where even it cannot vouch for the
// last bit: no float angle is known to need it.
SineCosine accuratelyOfMagnitude(double magnitude) {
  const ReducedAngle reduced = reduceAccurately(magnitude);
  SineCosine near{};
  if (accurateSineCosineNear(reduced.remainder, near)) return turnedByQuadrants(reduced.quadrant, near);
  SineCosine wide{};
  wideSineCosineOfMagnitude(magnitude, wide);  // its nearest, sure or not
  return wide;
}

SineCosine quicklyOfMagnitude(double magnitude) {
  const ReducedAngle reduced = reduceQuickly(magnitude);
  SineCosine near{};
  if (quickSineCosineNear(reduced.remainder, near)) return turnedByQuadrants(reduced.quadrant, near);
  return accuratelyOfMagnitude(magnitude);
}

template <typename OfMagnitude>
SineCosine ofDegrees(float degrees, OfMagnitude ofMagnitude) {
  const double radians = static_cast<double>(degrees) * kRadiansPerDegree;
  if (!std::isfinite(radians)) {
    const double notANumber = radians - radians;
    return {notANumber, notANumber};
  }
  const SineCosine result = ofMagnitude(std::fabs(radians));
  return {result.sine * signOf(radians), result.cosine};
}

}  // namespace

SineCosine splitSineCosineOfDegrees(float degrees) { return ofDegrees(degrees, quicklyOfMagnitude); }

SineCosine accurateSineCosineOfDegrees(float degrees) { return ofDegrees(degrees, accuratelyOfMagnitude); }
