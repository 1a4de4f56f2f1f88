#include "features/sine_cosine_near.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "features/sine_cosine_table.h"

namespace {

// The quick road's result hi + lo is within 2^-64.5 of the exact value,
// relative. With e = 1 + 2^-8, hi + lo * e == hi holds only when
// |lo| + 2^-63 |hi| stays below half an ulp of hi: hi is then the nearest double.
constexpr double kRoundingTest = 1.0 + 0x1p-8;
// The accurate road's error, relative: the remainder's 2^-103 becomes at
// most 2^-102.3 in sin r (sin r >= 2r/pi); the table, the two series and the
// four products and sums add about 2^-104 each, times at most 3 where
// sin p cos t and cos p sin t partly cancel (p = 1/64, t = -1/128): 2^-99.7
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
// one before, so no step cancels and each adds at most 2^-104 or so.
DoubleDouble seriesAt(const SeriesCoefficients& coefficients, DoubleDouble z) {
  DoubleDouble sum = coefficients.back();
  for (std::size_t k = coefficients.size() - 1; k-- > 0;) sum = plus(multiply(sum, z), coefficients[k]);
  return sum;
}

// r >= 0 as its nearest table point j/64 and t = r - j/64 exactly, |t| <= 1/128.
struct NearPoint {
  const SineCosinePoint* point;
  DoubleDouble t;
};

// In steps of 1/64, where every step is exact.
NearPoint nearPoint(DoubleDouble r) {
  const double scaled = r.hi * kPointsPerRadian;
  const double shifted = scaled + kRoundingShift;
  const double t = (scaled - (shifted - kRoundingShift)) * (1.0 / kPointsPerRadian);
  std::uint64_t bits = 0;
  std::memcpy(&bits, &shifted, sizeof bits);
  return {&kSineCosinePoints[bits & 0xFFu], {t, r.lo}};
}

DoubleDouble negated(DoubleDouble a) { return {-a.hi, -a.lo}; }

// A * cos(t) + B * sin(t), with cos(t) = 1 + u and sin(t) = t + tLow + v:
// the sine or the cosine of point + t. Only B * t and its sum with A need
// more than double precision; every other term is below 2^-14 of the result.
// B * t is the halves' product B' * t' (26 by 26 bits, exact) and the rest,
// B' * (t - t') (26 by 27 bits, exact too) plus (B - B') * t, whose rounding
// lies below 2^-79 of B * t. A is 0 or larger than B * t, and the result
// larger than `low`.
DoubleDouble quickAroundPoint(DoubleDouble a, DoubleDouble b, DoubleDouble bSplit, DoubleDouble t,
                              DoubleDouble tSplit, double u, double v) {
  const DoubleDouble head = fastTwoSum(a.hi, bSplit.hi * tSplit.hi);
  const double rest = bSplit.hi * tSplit.lo + bSplit.lo * t.hi;
  const double small = a.hi * u + (b.lo * t.hi + b.hi * (t.lo + v));
  const double low = ((head.lo + rest) + a.lo) + small;
  return fastTwoSum(head.hi, low);
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
  const SineCosinePoint& p = *near.point;
  const DoubleDouble tSplit = splitForProduct(t);
  const DoubleDouble sine = quickAroundPoint(p.sine, p.cosine, p.cosineSplit, near.t, tSplit, u, v);
  const DoubleDouble cosine =
      quickAroundPoint(p.cosine, negated(p.sine), negated(p.sineSplit), near.t, tSplit, u, v);
  if (!vouchedFor(sine, kRoundingTest) || !vouchedFor(cosine, kRoundingTest)) return false;
  result = {sine.hi * sign, cosine.hi};
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
  const DoubleDouble sine = plus(multiply(p.sine, cosT), multiply(p.cosine, sinT));
  const DoubleDouble cosine = plus(multiply(p.cosine, cosT), negated(multiply(p.sine, sinT)));
  if (!vouchedFor(sine, kAccurateRoundingTest) || !vouchedFor(cosine, kAccurateRoundingTest)) return false;
  result = {sine.hi * sign, cosine.hi};
  return true;
}
