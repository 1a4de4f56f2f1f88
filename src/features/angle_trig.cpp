#include "features/angle_trig.h"

#include <array>
#include <cmath>

#include "features/angle_reduction.h"
#include "features/double_double.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kBelowQuarterPi = 0.78539816339744828;  // the double just below pi/4
constexpr int kSeriesTerms = 10;
constexpr DoubleDouble kMinusOneSixth = {-0x1.5555555555555p-3, -0x1.5555555555555p-57};
constexpr DoubleDouble kOneTwentyFourth = {0x1.5555555555555p-5, 0x1.5555555555555p-59};

// Taylor terms of sin or cos from h^first on, in powers of z = h^2:
// (-1)^(n/2) / n! for n = first, first + 2, ...
constexpr std::array<double, kSeriesTerms> seriesTerms(int first) {
  std::array<double, kSeriesTerms> terms{};
  double term = (first / 2) % 2 == 0 ? 1.0 : -1.0;
  for (int n = 2; n <= first; ++n) term /= n;
  for (int k = 0; k < kSeriesTerms; ++k) {
    terms[static_cast<std::size_t>(k)] = term;
    term /= -static_cast<double>((first + 2 * k + 1) * (first + 2 * k + 2));
  }
  return terms;
}
constexpr std::array<double, kSeriesTerms> kSineTermsFromFifth = seriesTerms(5);
constexpr std::array<double, kSeriesTerms> kCosineTermsFromSixth = seriesTerms(6);

// Horner's scheme over the terms in z, a product and a sum per step.
double series(const std::array<double, kSeriesTerms>& terms, double z) {
  double sum = 0.0;
  for (int k = kSeriesTerms - 1; k >= 0; --k) {
    const double scaled = sum * z;
    sum = scaled + terms[static_cast<std::size_t>(k)];
  }
  return sum;
}

// first + z * (the series from the next term), the leading term kept to 104 bits.
DoubleDouble leadingPlusSeries(DoubleDouble first, const std::array<double, kSeriesTerms>& terms,
                               DoubleDouble square) {
  const double rest = square.hi * series(terms, square.hi);
  return plus(first, rest);
}

// big + small, where small is a double-double at most a fraction of big, plus
// a last correction: rounded once, so nearly always to the nearest double.
double sumOnce(double big, DoubleDouble small, double correction) {
  const DoubleDouble head = twoSum(big, small.hi);
  const double low = (head.lo + small.lo) + correction;
  return head.hi + low;
}

// l * (1 - c * z), enough for the part that a tiny l adds: l * cos(h) with
// c = 1/2, or, with l * h in place of l and c = 1/6, l * sin(h).
double lowTimesNear(double low, double z, double c) {
  const double lowTimesZ = low * z;
  const double drop = c * lowTimesZ;
  return low - drop;
}

// sin(h + l) for |h| <= pi/4, l tiny beside h: h + h^3 * (-1/6 + z/120 - ...).
double sineNear(DoubleDouble r) {
  const DoubleDouble square = twoProduct(r.hi, r.hi);
  const DoubleDouble cube = multiply({r.hi, 0.0}, square);
  const DoubleDouble odd = multiply(cube, leadingPlusSeries(kMinusOneSixth, kSineTermsFromFifth, square));
  return sumOnce(r.hi, odd, lowTimesNear(r.lo, square.hi, 0.5));
}

// cos(h + l) for |h| <= pi/4: 1 - z/2 + z^2 * (1/24 - z/720 + ...) - l * h.
double cosineNear(DoubleDouble r) {
  const DoubleDouble square = twoProduct(r.hi, r.hi);
  const DoubleDouble head = twoSum(1.0, -0.5 * square.hi);
  const DoubleDouble fourth = multiply(square, square);
  const DoubleDouble even = multiply(fourth, leadingPlusSeries(kOneTwentyFourth, kCosineTermsFromSixth, square));
  const double lowTimesSine = lowTimesNear(r.lo * r.hi, square.hi, 1.0 / 6.0);
  const double correction = (head.lo - 0.5 * square.lo) - lowTimesSine;
  return sumOnce(head.hi, even, correction);
}

ReducedAngle reduce(double magnitude) {
  if (magnitude <= kBelowQuarterPi) return {0, {magnitude, 0.0}};
  return reduceByHalfPi(magnitude);
}

}  // namespace

SineCosine sineCosineOfDegrees(float degrees) {
  const double radians = static_cast<double>(degrees) * kRadiansPerDegree;
  if (!std::isfinite(radians)) {
    const double notANumber = radians - radians;
    return {notANumber, notANumber};
  }
  const ReducedAngle reduced = reduce(std::fabs(radians));
  const double s = sineNear(reduced.remainder);
  const double c = cosineNear(reduced.remainder);
  const double quadrantSine[4] = {s, c, -s, -c};
  const double quadrantCosine[4] = {c, -s, -c, s};
  const double sine = quadrantSine[reduced.quadrant];
  return {std::signbit(radians) ? -sine : sine, quadrantCosine[reduced.quadrant]};
}
