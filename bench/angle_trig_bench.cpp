// sineCosineOfDegrees beside the C library's sincos of the same doubles,
// both over angles drawn at random, so that no branch predictor learns them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "allocation_tally.h"
#include "trigonometry/angle_reduction.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_of_degrees.h"

namespace {

constexpr std::size_t kAngleCount = 4096;

// The ordinary mix, as the game gives headings and pitches: 94 in 100 spread
// evenly over a turn either way, 3 exact multiples of 90 degrees (an entity
// standing level or facing an axis), 3 wound up over many turns, their size
// spread evenly in its logarithm from 360 to 10^7 degrees.
float ordinaryAngle(std::mt19937& random) {
  const int kind = std::uniform_int_distribution<int>(0, 99)(random);
  const float sign = std::uniform_int_distribution<int>(0, 1)(random) != 0 ? -1.0f : 1.0f;
  if (kind < 94) return std::uniform_real_distribution<float>(-360.0f, 360.0f)(random);
  if (kind < 97) return 90.0f * static_cast<float>(std::uniform_int_distribution<int>(-4, 4)(random));
  return sign * std::pow(10.0f, std::uniform_real_distribution<float>(2.5563f, 7.0f)(random));
}

// Large angles: sizes spread evenly in their logarithm from 10^4 degrees to
// the largest float, nine in ten above the 2^19 radians where the ordinary
// reduction ends.
float largeAngle(std::mt19937& random) {
  const float sign = std::uniform_int_distribution<int>(0, 1)(random) != 0 ? -1.0f : 1.0f;
  return sign * std::pow(10.0f, std::uniform_real_distribution<float>(4.0f, 38.5f)(random));
}

std::vector<float> anglesOf(float (*draw)(std::mt19937&)) {
  std::mt19937 random(19);
  std::vector<float> angles(kAngleCount);
  for (float& angle : angles) angle = draw(random);
  return angles;
}

void timeOurs(benchmark::State& state, float (*draw)(std::mt19937&), SineCosine (*ours)(float) = sineCosineOfDegrees) {
  const std::vector<float> angles = anglesOf(draw);
  std::size_t i = 0;
  timeCountingAllocations(state, [&] {
    benchmark::DoNotOptimize(ours(angles[i]));
    i = (i + 1) % kAngleCount;
  });
}

void timeSincos(benchmark::State& state, float (*draw)(std::mt19937&)) {
  std::vector<double> radians;
  for (float angle : anglesOf(draw)) radians.push_back(static_cast<double>(angle) * kRadiansPerDegree);
  std::size_t i = 0;
  timeCountingAllocations(state, [&] {
    double sine = 0.0, cosine = 0.0;
    sincos(radians[i], &sine, &cosine);
    benchmark::DoNotOptimize(sine);
    benchmark::DoNotOptimize(cosine);
    i = (i + 1) % kAngleCount;
  });
}

void OrdinaryMixOurs(benchmark::State& state) { timeOurs(state, ordinaryAngle); }
void OrdinaryMixSincos(benchmark::State& state) { timeSincos(state, ordinaryAngle); }
// The road a processor without fused multiply-adds takes.
void OrdinaryMixSplit(benchmark::State& state) { timeOurs(state, ordinaryAngle, splitSineCosineOfDegrees); }
void LargeMixOurs(benchmark::State& state) { timeOurs(state, largeAngle); }
void LargeMixSincos(benchmark::State& state) { timeSincos(state, largeAngle); }

}  // namespace

BENCHMARK(OrdinaryMixOurs);
BENCHMARK(OrdinaryMixSincos);
BENCHMARK(OrdinaryMixSplit);
BENCHMARK(LargeMixOurs);
BENCHMARK(LargeMixSincos);
