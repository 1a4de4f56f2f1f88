#include "trigonometry/sine_cosine_near.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "trigonometry/range_check.h"
#include "trigonometry/sine_cosine_table.h"

namespace {

// The quick road's bound, relative to y = sin or cos of r = t + tLow (tLow
// the remainder's low part, |tLow| <= 2^-53 |r|), a point p = j/64 away:
// |t| <= 1/128, so z = t^2 <= 2^-14 and |u| ~ z/2 <= 2^-15; the point's
// A = (S, C) and |B t| are at most 2|y| (the sine beside p = 1/64) and |y|.
//  - The remainder: 2^-70 from the ordinary reduction (2^-102.4 by 2/pi).
//  - The table to 2^-100; the series' next terms: t^8/8! times |A| (2^-70.3)
//    and t^9/9! times |B| (2^-74.5).
//  - sin(t + tLow) is taken as sin t + tLow, leaving out B tLow t^2/2:
//    2^-53 |r| 2^-15 with |r| <= 1.12 |y| (2^-67.9); cos(t + tLow) as
//    cos t - t tLow, the rest far smaller.
//  - u: z, its product-sum with the tail and the difference with t tLow
//    each round by half an ulp below 2^-15, 2^-69, three times, times |A|
//    (2^-66.4); A u rounds by 2^-53 of 2^-14 |y| (2^-67).
//  - v = sin t - t: 4.5 roundings (z, 1/6, the product, the sum, the
//    product by t) of 2^-53 times |v| <= 2^-16.6 |t|, times |B| (2^-67.4);
//    the sum with tLow, the product by B and the sum with bLow t, 2^-53
//    times 2^-16.6 |y| each (2^-68 together).
//  - The sums `small` and `low`, below 2^-14.2 |y|: 2^-67.2 each.
//  - B t from the halves: only bRest t and its sum round (2^-76).
// In all 2^-64.3 |y| (measured worst: 2^-65.52). hi + lo then passes the
// test below only where hi is the nearest double: with e = 1 + 2^-8,
// hi + lo * e == hi holds only when |lo| + 2^-63 |hi| stays below half an
// ulp of hi, and 2^-63 |hi| is above the bound.
constexpr double kRoundingTest = 1.0 + 0x1p-8;
// The accurate road's error, relative: the remainder's 2^-102.4 becomes at
// most 2^-101.8 in sin r (sin r >= 2r/pi); the table, the two series and the
// four products and sums add about 2^-104 each, times at most 3 where
// sin p cos t and cos p sin t partly cancel (p = 1/64, t = -1/128): 2^-99.6
// in all, taken as 2^-97. The test vouches for hi when |lo| plus that error
// stays below half an ulp (a test constant of 1 + 2^54 * 2^-97 would do).
constexpr double kAccurateRoundingTest = 1.0 + 0x1p-40;

// (-1)^k / (2k + first)!, k = 0 to 6: with |t| <= 1/128 the next term is
// below 2^-134 of the first.
constexpr int kAccurateSeriesTerms = 7;
using SeriesCoefficients = std::array<DoubleDouble, kAccurateSeriesTerms>;

constexpr SeriesCoefficients seriesCoefficients(int first) {
  SeriesCoefficients coefficients{};
  DoubleDouble reciprocal = {1.0, 0.0};
  for (int n = 1; n <= first; ++n) reciprocal = divide(reciprocal, n);
  for (std::size_t k = 0; k < coefficients.size(); ++k) {
    coefficients[k] = k % 2 == 0 ? reciprocal : DoubleDouble{-reciprocal.hi, -reciprocal.lo};
    const auto n = static_cast<double>(2 * k + static_cast<std::size_t>(first));
    reciprocal = divide(divide(reciprocal, n + 1.0), n + 2.0);
  }
  return coefficients;
}

constexpr SeriesCoefficients kCosineSeries = seriesCoefficients(0);
constexpr SeriesCoefficients kSineOverTSeries = seriesCoefficients(1);

// The series in z = t^2 by Horner's rule: every term is below 2^-14 of the
// one before, so no step cancels. The terms from z^3 on, below 2^-51 of the
// first, need only double precision (their error stays below 2^-103.5); the
// three steps before them add about 2^-104 each.
constexpr std::size_t kDoublePrecisionTerms = 3;

DoubleDouble seriesAt(const SeriesCoefficients& coefficients, DoubleDouble z) {
  double tail = coefficients.back().hi;
  for (std::size_t k = coefficients.size() - 1; k-- > kDoublePrecisionTerms;) tail = tail * z.hi + coefficients[k].hi;
  DoubleDouble sum = {tail, 0.0};
  for (std::size_t k = kDoublePrecisionTerms; k-- > 0;) sum = plus(multiply(sum, z), coefficients[k]);
  return sum;
}

// r >= 0 as its nearest table point j/64 and t = r - j/64 exactly, |t| <= 1/128.
struct NearPoint {
  const SineCosinePoint* point;
  DoubleDouble t;
};

// From it on the nearest point would lie past the table (51.5 rounds to the
// even 52).
constexpr double kTableRangeEnd = (kPointCount - 0.5) / kPointsPerRadian;

// In steps of 1/64, where every step is exact.
NearPoint nearPoint(DoubleDouble r) {
  VANTOMERE_RANGE_CHECK(r.hi < kTableRangeEnd, "remainder past the last point of the table (pi/4 and a hair)");
  const double scaled = r.hi * kPointsPerRadian;
  const double shifted = scaled + kRoundingShift;
  const double t = (scaled - (shifted - kRoundingShift)) * (1.0 / kPointsPerRadian);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &shifted, sizeof bits);
  return {&kSineCosinePoints[bits & 0xFFu], {t, r.lo}};
}

DoubleDouble negated(DoubleDouble a) { return {-a.hi, -a.lo}; }

// A * cos(t) + B * sin(t), with cos(t) = 1 + u and sin(t) = t + tLow + v,
// for both lanes of the point: its sine and cosine at point + t. Only B * t
// and its sum with A need more than double precision; every other term is
// below 2^-14 of the result. B * t is the halves' product B' * t' (26 by 26
// bits, exact) and the rest, B' * (t - t') (26 by 27 bits, exact too) plus
// (B - B') * t, whose rounding lies below 2^-79 of B * t. A is 0 or larger
// than B * t, and the result larger than `low`.
struct Lanes {
  double hi[2];
  double lo[2];
};

Lanes quickAroundPoint(const SineCosinePoint& p, DoubleDouble t, DoubleDouble tSplit, double u, double v) {
  Lanes result{};
  for (std::size_t i = 0; i < 2; ++i) {
    const DoubleDouble head = fastTwoSum(p.a[i], p.bHigh[i] * tSplit.hi);
    const double rest = p.bHigh[i] * tSplit.lo + p.bRest[i] * t.hi;
    const double small = p.a[i] * u + (p.bLow[i] * t.hi + p.b[i] * (t.lo + v));
    const double low = ((head.lo + rest) + p.aLow[i]) + small;
    const DoubleDouble sum = fastTwoSum(head.hi, low);
    result.hi[i] = sum.hi;
    result.lo[i] = sum.lo;
  }
  return result;
}

bool vouchedFor(DoubleDouble value, double test) { return value.hi + value.lo * test == value.hi; }

DoubleDouble times(DoubleDouble a, double sign) { return {a.hi * sign, a.lo * sign}; }

}  // namespace

bool quickSineCosineNear(DoubleDouble r, SineCosine& result) {
  const double sign = signOf(r.hi);
  const NearPoint near = nearPoint(times(r, sign));
  const double t = near.t.hi;
  const double z = t * t;
  const double zz = z * z;
  const double u = (z * -0.5 + zz * (1.0 / 24.0 + z * (-1.0 / 720.0))) - t * near.t.lo;
  const double v = t * (z * (-1.0 / 6.0) + zz * (1.0 / 120.0 + z * (-1.0 / 5040.0)));
  const Lanes lanes = quickAroundPoint(*near.point, near.t, splitForProduct(t), u, v);
  const bool sineVouched = vouchedFor({lanes.hi[0], lanes.lo[0]}, kRoundingTest);
  const bool cosineVouched = vouchedFor({lanes.hi[1], lanes.lo[1]}, kRoundingTest);
  if (!(sineVouched && cosineVouched)) return false;
  result = {lanes.hi[0] * sign, lanes.hi[1]};
  return true;
}

bool accurateSineCosineNear(DoubleDouble r, SineCosine& result) {
  const double sign = signOf(r.hi);
  const NearPoint near = nearPoint(times(r, sign));
  const DoubleDouble t = twoSum(near.t.hi, near.t.lo);
  const DoubleDouble z = multiply(t, t);
  const DoubleDouble cosT = seriesAt(kCosineSeries, z);
  const DoubleDouble sinT = multiply(t, seriesAt(kSineOverTSeries, z));
  const SineCosinePoint& p = *near.point;
  const DoubleDouble pointSine = {p.a[0], p.aLow[0]}, pointCosine = {p.a[1], p.aLow[1]};
  const DoubleDouble sine = plus(multiply(pointSine, cosT), multiply(pointCosine, sinT));
  const DoubleDouble cosine = plus(multiply(pointCosine, cosT), negated(multiply(pointSine, sinT)));
  if (!vouchedFor(sine, kAccurateRoundingTest) || !vouchedFor(cosine, kAccurateRoundingTest)) return false;
  result = {sine.hi * sign, cosine.hi};
  return true;
}
