// Reads float angles in degrees (raw 4-byte values) from standard input and
// writes sineCosineOfDegrees of each (two raw 8-byte doubles), for a check
// against an independent high-precision reference (bench/angle_reference.py).
#include <cstdio>

#include "trigonometry/sine_cosine_of_degrees.h"

int main() {
  float degrees = 0.0f;
  while (std::fread(&degrees, sizeof degrees, 1, stdin) == 1) {
    const SineCosine result = sineCosineOfDegrees(degrees);
    std::fwrite(&result, sizeof result, 1, stdout);
  }
  return 0;
}
