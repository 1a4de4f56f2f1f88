#include "trigonometry/sine_cosine_of_degrees.h"

#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_fused.h"

namespace {
// Asked once, as the library loads: a function's static would be guarded by
// the runtime's lock, whose semaphore outlives an unload.
const bool fused = processorFusesMultiplyAdd();
}  // namespace

SineCosine sineCosineOfDegrees(float degrees) {
  return fused ? fusedSineCosineOfDegrees(degrees) : splitSineCosineOfDegrees(degrees);
}
