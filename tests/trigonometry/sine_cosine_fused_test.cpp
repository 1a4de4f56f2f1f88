#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_fused.h"
#include "trigonometry/sine_cosine_turn_table.h"

namespace {

std::uint64_t bitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatOf(std::uint32_t bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Each point against the long double sine and cosine (64 bits: their
// argument alone is off by 2^-64 of it), and the four points on the axes exact.
TEST(TurnTable, HoldsSineAndCosineOfEveryPointTurnedExactly) {
  const long double pi = std::acos(-1.0L);
  for (int n = 0; n < kTurnPointCount; ++n) {
    const TurnPoint& p = kTurnPoints[static_cast<std::size_t>(n)];
    const long double angle = pi * n / 256;
    const long double expected[2] = {std::sin(angle), std::cos(angle)};
    for (int lane = 0; lane < 2; ++lane) {
      const long double got = static_cast<long double>(p.a[lane]) + p.aLow[lane];
      EXPECT_LE(std::fabs(got - expected[lane]), 0x1p-58L) << n << " lane " << lane;
    }
    if (n % kQuarterTurnPoints == 0) {
      const double axis[4][2] = {{0.0, 1.0}, {1.0, 0.0}, {-0.0, -1.0}, {-1.0, -0.0}};
      EXPECT_EQ(p.a[0], axis[n / kQuarterTurnPoints][0]) << n;
      EXPECT_EQ(p.a[1], axis[n / kQuarterTurnPoints][1]) << n;
      EXPECT_EQ(p.aLow[0], 0.0) << n;
      EXPECT_EQ(p.aLow[1], 0.0) << n;
    }
  }
}

struct QuickRoad {
  const char* name;
  SineCosine (*of)(float);
  bool available;
};

// Both forms of the quick road, whatever the processor running the tests
// has: the fused one is skipped only where it cannot run.
const QuickRoad kRoads[] = {{"split", splitSineCosineOfDegrees, true},
                            {"fused", fusedSineCosineOfDegrees, processorFusesMultiplyAdd()}};

void expectAsTheAccurateRoad(const QuickRoad& road, float degrees) {
  const SineCosine got = road.of(degrees), accurate = accurateSineCosineOfDegrees(degrees);
  ASSERT_EQ(bitsOf(got.sine), bitsOf(accurate.sine)) << road.name << " " << degrees;
  ASSERT_EQ(bitsOf(got.cosine), bitsOf(accurate.cosine)) << road.name << " " << degrees;
}

// Float angles of every size from their bit patterns, the floats on either
// side of the multiples of 90 degrees (where the remainder is smallest) and
// of the table's points (where the reduction's sum cancels), and a turn in
// small steps with both signs.
std::vector<float> hardAndOrdinaryAngles() {
  std::vector<float> angles;
  std::uint32_t bits = 23;
  for (int i = 0; i < 50000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    const float degrees = floatOf(bits);
    if (std::isfinite(degrees)) angles.push_back(degrees);
  }
  for (float base : {90.0f, 360.0f / kTurnPointCount}) {
    for (int k = -3000; k <= 3000; k += 7) {
      std::uint32_t around = 0;
      const float multiple = base * static_cast<float>(k * 101);
      std::memcpy(&around, &multiple, sizeof around);
      for (std::uint32_t step = 0; step < 5; ++step) angles.push_back(floatOf(around - 2 + step));
    }
  }
  for (float degrees = -720.0f; degrees <= 720.0f; degrees += 0.0371f) angles.push_back(degrees);
  return angles;
}

TEST(QuickRoads, AnswerAsTheAccurateRoadForHardAndOrdinaryAngles) {
  const std::vector<float> angles = hardAndOrdinaryAngles();
  for (const QuickRoad& road : kRoads) {
    if (!road.available) continue;
    for (float degrees : angles) expectAsTheAccurateRoad(road, degrees);
  }
}

TEST(QuickRoads, NegativeAnglesGiveTheNegatedSineAndTheSameCosine) {
  for (const QuickRoad& road : kRoads) {
    if (!road.available) continue;
    for (float degrees = 0.013f; degrees < 1.0e6f; degrees *= 1.618f) {
      const SineCosine positive = road.of(degrees), negative = road.of(-degrees);
      EXPECT_EQ(bitsOf(negative.sine), bitsOf(-positive.sine)) << road.name << " " << degrees;
      EXPECT_EQ(bitsOf(negative.cosine), bitsOf(positive.cosine)) << road.name << " " << degrees;
    }
  }
}

// The fused road's rounding test leaves about one angle in 650 of a turn to
// the accurate road; a wrong bound or a lost term would leave far more.
TEST(FusedRoad, VouchesForAlmostEveryAngleOfATurn) {
  if (!processorFusesMultiplyAdd()) GTEST_SKIP() << "no fused multiply-add here";
  int declined = 0, tried = 0;
  for (float degrees = -360.0f; degrees <= 360.0f; degrees += 0.0173f, ++tried) {
    SineCosine result{};
    if (!fusedQuickSineCosine(degrees, result)) ++declined;
  }
  EXPECT_LT(declined * 200, tried);
}

}  // namespace
