#pragma once

#include "features/double_double.h"

// magnitude = quadrant * pi/2 + remainder (modulo 2 pi), |remainder| <= pi/4
// (a hair more for the ordinary reduction).
struct ReducedAngle {
  unsigned quadrant;  // 0 to 3
  DoubleDouble remainder;
};

// Where the ordinary reduction stops being exact enough.
constexpr double kOrdinaryAngleLimit = 524288.0;  // 2^19

// For pi/4 <= magnitude <= kOrdinaryAngleLimit: pi/2 in four parts (Cody and
// Waite), every step exact but the last two, whose errors stay near
// 2^-150 * magnitude, so the remainder keeps its precision even beside a
// multiple of pi/2.
ReducedAngle reduceOrdinaryAngle(double magnitude);

// For pi/4 <= magnitude < 2^124. The multiple of pi/2 comes from 320 bits of
// 2/pi, so the remainder keeps its precision even for the doubles that lie
// closest to a multiple of pi/2, where a shorter pi leaves only noise.
ReducedAngle reduceByHalfPi(double magnitude);
