#pragma once

#include <array>
#include <cstddef>

#include "trigonometry/room_only.h"
#include "trigonometry/double_double.h"
#include "trigonometry/sine_cosine_table.h"

// sin and cos of the 512 points n * pi/256 around the whole turn, to about
// 104 bits each, for the road that reduces an angle straight to its nearest
// point: the index n mod 512 carries the quadrant and the sign, so nothing is
// turned or mirrored afterwards. Lane 0 of each pair holds what the sine of
// point + t needs (S cos t + C sin t), lane 1 what the cosine needs
// (C cos t - S sin t). The factors of sin t, B = (C, -S), are A's lanes
// turned, exactly: the table holds A alone, which keeps it at 16 KB in the
// player's DLL.
struct alignas(32) TurnPoint {
  double a[2];     // S and C, high parts
  double aLow[2];  // and low parts
};

// Lane `lane` of B = (C, -S) from A = (S, C), high or low parts.
constexpr double turnedLane(const double (&pair)[2], int lane) { return lane == 0 ? pair[1] : -pair[0]; }

constexpr int kTurnPointCount = 512;
constexpr int kQuarterTurnPoints = kTurnPointCount / 4;

// pi/256 in three parts of 53 bits: together within 2^-170 of it.
constexpr double kTurnStep1 = 0x1.921fb54442d18p-7;
constexpr double kTurnStep2 = 0x1.1a62633145c07p-61;
constexpr double kTurnStep3 = -0x1.f1976b7ed8fbcp-117;

constexpr DoubleDouble negatedPair(DoubleDouble a) { return {-a.hi, -a.lo}; }

// Worked out in the first eighth of the turn only, where the series keep
// their precision; the rest by symmetry, so the points on the axes are
// exactly 0 and 1 and every mirrored value is exactly the negative.
constexpr std::array<TurnPoint, kTurnPointCount> makeTurnPoints() {
  std::array<DoubleDouble, kQuarterTurnPoints + 1> sine{}, cosine{};
  for (int j = 0; j <= kQuarterTurnPoints / 2; ++j) {
    const DoubleDouble x = plus(twoProduct(j, kTurnStep1), j * kTurnStep2);
    const auto at = static_cast<std::size_t>(j), mirror = static_cast<std::size_t>(kQuarterTurnPoints - j);
    sine[at] = j == 0 ? DoubleDouble{0.0, 0.0} : alternatingSeries(x, 1, kTableSeriesTerms);
    cosine[at] = j == 0 ? DoubleDouble{1.0, 0.0} : alternatingSeries(x, 0, kTableSeriesTerms);
    sine[mirror] = cosine[at];
    cosine[mirror] = sine[at];
  }
  std::array<TurnPoint, kTurnPointCount> points{};
  for (int n = 0; n < kTurnPointCount; ++n) {
    const auto j = static_cast<std::size_t>(n % kQuarterTurnPoints);
    const DoubleDouble s = sine[j], c = cosine[j];
    const DoubleDouble turned[4][2] = {{s, c}, {c, negatedPair(s)}, {negatedPair(s), negatedPair(c)}, {negatedPair(c), s}};
    const DoubleDouble(&sc)[2] = turned[n / kQuarterTurnPoints];
    points[static_cast<std::size_t>(n)] = {{sc[0].hi, sc[1].hi}, {sc[0].lo, sc[1].lo}};
  }
  return points;
}

constexpr std::array<TurnPoint, kTurnPointCount> kTurnPoints = makeTurnPoints();
