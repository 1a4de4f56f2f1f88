#pragma once

#include "trigonometry/room_only.h"
#include "trigonometry/sine_cosine_of_degrees.h"

// sineCosineOfDegrees by the quick road built on split factors, its doubts
// settled by the accurate road; and the accurate road alone, for checks of
// the roads behind the quick ones. The fused form of the quick road is in
// sine_cosine_fused.h.
SineCosine splitSineCosineOfDegrees(float degrees);
SineCosine accurateSineCosineOfDegrees(float degrees);
