#pragma once

#include <array>
#include <cstdint>

#include "trigonometry/room_only.h"
#include "trigonometry/double_double.h"

// magnitude = quadrant * pi/2 + remainder (modulo 2 pi), |remainder| <= pi/4
// (a hair more for the ordinary reduction).
struct ReducedAngle {
  unsigned quadrant;  // 0 to 3
  DoubleDouble remainder;
};

// Where the ordinary reduction stops being exact enough.
constexpr double kOrdinaryAngleLimit = 524288.0;  // 2^19
// The double nearest pi/180, by which every road turns degrees into radians.
constexpr double kRadiansPerDegree = 0.017453292519943295;
// The double just below pi/4: up to it an angle is its own remainder.
constexpr double kBelowQuarterPi = 0.78539816339744828;
// Below it sin x and cos x round to x and 1.
constexpr double kTinyAngle = 0x1p-27;
// The reduction by 2/pi holds for magnitudes below it.
constexpr double kReductionLimit = 0x1p124;

// For magnitude <= kOrdinaryAngleLimit (left as it is below pi/4, the
// multiple being 0 there and every step exact): pi/2 in four parts (Cody and
// Waite), every step exact but the last two, whose errors stay near
// 2^-150 * magnitude, so the remainder keeps its precision even beside a
// multiple of pi/2.
ReducedAngle reduceOrdinaryAngle(double magnitude);

// magnitude * 2/pi = k + f with k whole and |f| <= 1/2, f to 192 bits after
// the point (|f| * 2^192, most significant word first). The 320 bits of 2/pi
// leave magnitude * 2/pi within 2^-196 of the exact value for every double
// below 2^124 (2^-197.8 for the doubles that float angles make); cut after
// 192 bits, f is within 2^-192 + 2^-196.
struct HalfPiFraction {
  unsigned quadrant;  // k mod 4
  bool negative;      // f < 0
  std::array<std::uint64_t, 3> words;
};

// For pi/4 < magnitude < 2^124; outside, a range check fails.
HalfPiFraction fractionOfHalfPi(double magnitude);

// For pi/4 < magnitude < 2^124. No double that a float angle in degrees
// makes lies nearer a multiple of pi/2 than 2^-60.49 (2610 degrees;
// bench/half_pi_approach_search tries every float), so |f| >= 2^-61.14 and
// its 192 bits hold at least 130 significant ones. The remainder's budget,
// with f scaled so that its double-double's high part h lies in [1/2, 1):
//  - f itself: 2^-192 + 2^-196 off, 2^-130.8 of it;
//  - f as a double-double: its first 106 bits, the rest cut (below 2^-106,
//    times pi/2); the low part l lies below 2^-53, a whole ulp of h;
//  - pi/2 as a double-double: 2^-109 off, times h;
//  - the product (multiply): h times pi/2's high part is exact; l times its
//    low part is left out (2^-106.9); h times the low part and l times the
//    high part round by 2^-107 and 2^-106 at most; their sum, below
//    2^-51.9, by 2^-104 (2^-105 where h pi/2 < 1); its sum with the exact
//    product's low part, below 2^-51.4, by 2^-104.
// In all below 2^-102.5, that is 2^-102.4 of the remainder h pi/2 >= pi/4
// (measured worst 2^-103.32).
ReducedAngle reduceByHalfPi(double magnitude);

// For the accurate roads: the magnitude as it is below pi/4, by 2/pi above.
ReducedAngle reduceAccurately(double magnitude);
