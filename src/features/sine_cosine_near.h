#pragma once

#include "features/angle_trig.h"
#include "features/double_double.h"

// Sine and cosine of a remainder r, |r| up to pi/4 and a hair, each the
// double nearest the exact value, by two roads. The quick one works in
// double but for two products and sums, and is within 2^-64.5 of the exact
// values; it answers false when that leaves the last bit of either in doubt
// (about one call in a hundred). The accurate one works to about 2^-100,
// and needs a remainder as exact.
bool quickSineCosineNear(DoubleDouble r, SineCosine& result);
SineCosine accurateSineCosineNear(DoubleDouble r);
