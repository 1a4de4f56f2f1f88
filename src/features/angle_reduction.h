#pragma once

#include "features/double_double.h"

// magnitude = quadrant * pi/2 + remainder (modulo 2 pi), |remainder| <= pi/4.
struct ReducedAngle {
  unsigned quadrant;  // 0 to 3
  DoubleDouble remainder;
};

// For pi/4 <= magnitude < 2^124. The multiple of pi/2 comes from 320 bits of
// 2/pi, so the remainder keeps its precision even for the doubles that lie
// closest to a multiple of pi/2, where a shorter pi leaves only noise.
ReducedAngle reduceByHalfPi(double magnitude);
