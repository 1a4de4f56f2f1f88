#pragma once

#include <cmath>

#include "trigonometry/room_only.h"
#include "trigonometry/sine_cosine_of_degrees.h"
#include "trigonometry/double_double.h"

// Sine and cosine of a remainder r, |r| up to pi/4 and a hair, each the
// double nearest the exact value, by two roads. The quick one works in
// double but for two products and sums, and is within 2^-64.3 of the exact
// values (the budget is beside the code); it answers false when that leaves
// the last bit of either in doubt (about one call in a hundred). The
// accurate one is within 2^-97, given a remainder within 2^-102.4
// (relative, as reduceByHalfPi leaves it), and it
// too answers false when that leaves a last bit in doubt: only within about
// 2^-41 of an ulp of a midpoint, where no float angle is known to come (the
// nearest lie 2^-31.7 of an ulp away). A remainder past the table's last
// point (|r| >= 51.5/64) fails a range check.
bool quickSineCosineNear(DoubleDouble r, SineCosine& result);
bool accurateSineCosineNear(DoubleDouble r, SineCosine& result);

// 1 or -1 by the sign of x, without a branch for random angles to mislead.
inline double signOf(double x) {
  constexpr double kSigns[2] = {1.0, -1.0};
  return kSigns[std::signbit(x) ? 1 : 0];
}

// The sine and cosine of quadrant * pi/2 + r from those of r: quadrants 1
// and 3 swap them, the signs follow the quadrant, and no branch is taken.
inline SineCosine turnedByQuadrants(unsigned quadrant, SineCosine ofRemainder) {
  constexpr double kSigns[2] = {1.0, -1.0};
  const double parts[2] = {ofRemainder.sine, ofRemainder.cosine};
  return {parts[quadrant & 1u] * kSigns[quadrant >> 1], parts[(quadrant & 1u) ^ 1u] * kSigns[((quadrant + 1) >> 1) & 1u]};
}
