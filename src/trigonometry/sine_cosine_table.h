#pragma once

#include <array>

#include "trigonometry/room_only.h"
#include "trigonometry/double_double.h"

// sin and cos of the points j/64, j = 0 to 51 (just past pi/4), to about
// 104 bits each, worked out by the compiler from their Taylor series. The
// points are exact doubles, so an angle's distance to its nearest point is
// found without rounding. With S and C those of a point, sin(point + t) =
// S cos t + C sin t and cos(point + t) = C cos t - S sin t: lane 0 of each
// pair holds what the sine needs, lane 1 what the cosine needs, so that the
// two are worked out side by side in the very same steps.
struct SineCosinePoint {
  double a[2];      // S and C, high parts
  double aLow[2];   // and low parts
  double b[2];      // C and -S, high parts
  double bLow[2];   // and low parts
  double bHigh[2];  // b split for exact products: 26 bits
  double bRest[2];  // and the rest
};

constexpr int kPointsPerRadian = 64;
constexpr int kPointCount = 52;

constexpr int kTableSeriesTerms = 30;  // x <= 0.8: the next term is below 2^-140

// The sum of (-1)^k x^n / n! over n = first + 2k, k = 0 to terms - 1, to about
// 104 bits: sin x from first = 1, cos x from first = 0.
constexpr DoubleDouble alternatingSeries(DoubleDouble x, int first, int terms) {
  DoubleDouble term = {1.0, 0.0};
  for (int n = 1; n <= first; ++n) term = divide(multiply(term, x), static_cast<double>(n));
  const DoubleDouble minusSquare = multiply(x, {-x.hi, -x.lo});
  DoubleDouble sum = {0.0, 0.0};
  for (int k = 0, n = first; k < terms; ++k, n += 2) {
    sum = plus(sum, term);
    term = divide(multiply(term, minusSquare), static_cast<double>((n + 1) * (n + 2)));
  }
  return sum;
}

constexpr std::array<SineCosinePoint, kPointCount> makeSineCosinePoints() {
  std::array<SineCosinePoint, kPointCount> points{};
  for (int j = 0; j < kPointCount; ++j) {
    const double x = static_cast<double>(j) / kPointsPerRadian;
    const DoubleDouble sine = alternatingSeries({x, 0.0}, 1, kTableSeriesTerms);
    const DoubleDouble cosine = alternatingSeries({x, 0.0}, 0, kTableSeriesTerms);
    const DoubleDouble sineSplit = splitForProduct(sine.hi), cosineSplit = splitForProduct(cosine.hi);
    points[static_cast<std::size_t>(j)] = {{sine.hi, cosine.hi},         {sine.lo, cosine.lo},
                                           {cosine.hi, -sine.hi},        {cosine.lo, -sine.lo},
                                           {cosineSplit.hi, -sineSplit.hi}, {cosineSplit.lo, -sineSplit.lo}};
  }
  return points;
}

constexpr std::array<SineCosinePoint, kPointCount> kSineCosinePoints = makeSineCosinePoints();
