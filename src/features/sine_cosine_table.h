#pragma once

#include <array>

#include "features/double_double.h"

// sin and cos of the points j/64, j = 0 to 51 (just past pi/4), to about
// 104 bits each, worked out by the compiler from their Taylor series. The
// points are exact doubles, so an angle's distance to its nearest point is
// found without rounding.
struct SineCosinePoint {
  DoubleDouble sine;
  DoubleDouble cosine;
  DoubleDouble sineSplit;    // sine.hi split for exact products
  DoubleDouble cosineSplit;  // cosine.hi split for exact products
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
    points[static_cast<std::size_t>(j)] = {sine, cosine, splitForProduct(sine.hi), splitForProduct(cosine.hi)};
  }
  return points;
}

constexpr std::array<SineCosinePoint, kPointCount> kSineCosinePoints = makeSineCosinePoints();
