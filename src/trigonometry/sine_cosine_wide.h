#pragma once

#include "trigonometry/room_only.h"
#include "trigonometry/sine_cosine_of_degrees.h"

// sin and cos of a finite magnitude >= 0 (below 2^124) in radians, in 256-bit
// fixed point: the last resort when the accurate road cannot vouch for its
// last bit, and far slower (microseconds). Each is within 2^-190 of the exact
// value; it answers whether that makes both the doubles nearest the exact
// values, as it does unless one lies within 2^-190 of a midpoint between two
// doubles (2^-77 of an ulp even for the smallest remainder of a float angle).
// Otherwise the result is the double nearest its estimate.
bool wideSineCosineOfMagnitude(double magnitude, SineCosine& result);
