#include "trigonometry/sine_cosine_of_degrees.h"

#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_fused.h"

SineCosine sineCosineOfDegrees(float degrees) {
  static const bool fused = processorFusesMultiplyAdd();
  return fused ? fusedSineCosineOfDegrees(degrees) : splitSineCosineOfDegrees(degrees);
}
