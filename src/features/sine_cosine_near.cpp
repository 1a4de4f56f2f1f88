#include "features/sine_cosine_near.h"

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
constexpr int kAccurateSeriesTerms = 10;  // |t| <= 1/128: the next term is below 2^-130

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
// A is 0 or larger than B * t, and the result larger than `low`.
DoubleDouble quickAroundPoint(DoubleDouble a, DoubleDouble b, DoubleDouble bSplit, DoubleDouble t,
                              DoubleDouble tSplit, double u, double v) {
  const DoubleDouble bt = twoProductOfSplits(b.hi, bSplit, t.hi, tSplit);
  const DoubleDouble head = fastTwoSum(a.hi, bt.hi);
  const double small = a.hi * u + (b.lo * t.hi + b.hi * (t.lo + v));
  const double low = ((head.lo + bt.lo) + a.lo) + small;
  return fastTwoSum(head.hi, low);
}

bool vouchedFor(DoubleDouble value) { return value.hi + value.lo * kRoundingTest == value.hi; }

SineCosine withSignOf(DoubleDouble r, SineCosine ofMagnitude) {
  if (r.hi < 0.0) ofMagnitude.sine = -ofMagnitude.sine;
  return ofMagnitude;
}

DoubleDouble magnitudeOf(DoubleDouble r) { return r.hi < 0.0 ? negated(r) : r; }

}  // namespace

bool quickSineCosineNear(DoubleDouble r, SineCosine& result) {
  const NearPoint near = nearPoint(magnitudeOf(r));
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
  if (!vouchedFor(sine) || !vouchedFor(cosine)) return false;
  result = withSignOf(r, {sine.hi, cosine.hi});
  return true;
}

SineCosine accurateSineCosineNear(DoubleDouble r) {
  const NearPoint near = nearPoint(magnitudeOf(r));
  const DoubleDouble t = twoSum(near.t.hi, near.t.lo);
  const DoubleDouble cosT = alternatingSeries(t, 0, kAccurateSeriesTerms);
  const DoubleDouble sinT = alternatingSeries(t, 1, kAccurateSeriesTerms);
  const SineCosinePoint& p = *near.point;
  const DoubleDouble sine = plus(multiply(p.sine, cosT), multiply(p.cosine, sinT));
  const DoubleDouble cosine = plus(multiply(p.cosine, cosT), negated(multiply(p.sine, sinT)));
  return withSignOf(r, {sine.hi, cosine.hi});
}
