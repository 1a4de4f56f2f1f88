#pragma once

#include "trigonometry/room_only.h"
#include "trigonometry/angle_reduction.h"
#include "trigonometry/sine_cosine_of_degrees.h"
#include "trigonometry/fused_multiply_add.h"

// sin x and cos x, x = double(degrees) * 0.017453292519943295, for
// kTinyAngle <= |x| <= kOrdinaryAngleLimit, each the double nearest the
// exact value: the angle goes straight to its nearest point n * pi/256 and a
// remainder t, |t| <= pi/512, and sin and cos of point + t come from the
// table by series in t. Within 2^-64.4 of the exact values (the bound is
// derived beside the code); it answers false when that leaves a last bit in
// doubt, about one call in 650. Only where processorFusesMultiplyAdd();
// outside its range a range check fails.
VANTOMERE_FUSED_ROAD bool fusedQuickSineCosine(float degrees, SineCosine& result);

// sineCosineOfDegrees by the fused road where it works, in one call: the
// accurate road settles its doubts; large, tiny and non-finite angles keep
// to the split road. Only where processorFusesMultiplyAdd(): there
// sineCosineOfDegrees takes it.
VANTOMERE_FUSED_ROAD SineCosine fusedSineCosineOfDegrees(float degrees);
