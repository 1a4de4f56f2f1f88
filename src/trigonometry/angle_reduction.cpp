#include "trigonometry/angle_reduction.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "trigonometry/range_check.h"

namespace {

// The first 320 bits after the point of 2/pi, most significant first.
constexpr std::array<std::uint32_t, 10> kTwoOverPi = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599,
    0x3C439041, 0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0};
constexpr int kTwoOverPiBits = 320;
constexpr int kMantissaBits = 53;
constexpr DoubleDouble kHalfPi = {1.5707963267948966, 6.123233995736766e-17};

// Little-endian 32-bit limbs of a 53-bit integer times the 320-bit table,
// with two limbs of zeros above so that any 64 bits up to the top can be read.
using WideProduct = std::array<std::uint32_t, 14>;

WideProduct timesTwoOverPi(std::uint64_t mantissa) {
  WideProduct product{};
  const std::uint64_t halves[2] = {mantissa & 0xFFFFFFFFu, mantissa >> 32};
  for (std::size_t i = 0; i < 2; ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < 10; ++j) {
      const std::uint64_t limb = kTwoOverPi[9 - j];
      const std::uint64_t sum = halves[i] * limb + product[i + j] + carry;  // < 2^64
      product[i + j] = static_cast<std::uint32_t>(sum);
      carry = sum >> 32;
    }
    product[i + 10] = static_cast<std::uint32_t>(carry);
  }
  return product;
}

// The 64 bits of the product starting at bit `position` (0 to 383).
std::uint64_t wordAt(const WideProduct& product, int position) {
  const auto limb = static_cast<std::size_t>(position / 32);
  const int shift = position % 32;
  const std::uint64_t low = product[limb] | (std::uint64_t{product[limb + 1]} << 32);
  if (shift == 0) return low;
  return (low >> shift) | (std::uint64_t{product[limb + 2]} << (64 - shift));
}

int leadingZeros(std::uint64_t word) {
  int zeros = 0;
  for (int step = 32; step > 0; step /= 2) {
    if ((word >> (64 - step)) == 0) {
      zeros += step;
      word <<= step;
    }
  }
  return zeros;
}

// f * 2^192 (words most significant first) as a double-double, to 106 bits.
DoubleDouble fractionToDoubleDouble(std::array<std::uint64_t, 3> words) {
  int shift = 0;
  for (int i = 0; i < 3 && words[0] == 0; ++i, shift += 64) words = {words[1], words[2], 0};
  if (words[0] == 0) return {0.0, 0.0};
  const int zeros = leadingZeros(words[0]);
  if (zeros > 0) {
    words[0] = (words[0] << zeros) | (words[1] >> (64 - zeros));
    words[1] = (words[1] << zeros) | (words[2] >> (64 - zeros));
  }
  shift += zeros;
  const auto top = static_cast<double>(words[0] >> 11);
  const auto next = static_cast<double>(((words[0] & 0x7FFu) << 42) | (words[1] >> 22));
  return {std::ldexp(top, -53 - shift), std::ldexp(next, -106 - shift)};
}

constexpr double kTwoOverPiDouble = 0x1.45f306dc9c883p-1;
// pi/2 in four parts: the first three of at most 33 bits, so that n times
// each is exact for n < 2^20; together they are pi/2 to within 2^-159.
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2ep-69;
constexpr double kHalfPi4 = 0x1.b839a252049c1p-104;
// pi/2 - kHalfPi1 to 53 bits: with it, two steps leave an error below
// n * 2^-86, small beside a remainder of at least n * 2^-16.
constexpr double kHalfPi1Rest = 0x1.0b4611a626331p-34;
constexpr double kShortStepsEnough = 0x1p-16;

}  // namespace

ReducedAngle reduceOrdinaryAngle(double magnitude) {
  VANTOMERE_RANGE_CHECK(magnitude <= kOrdinaryAngleLimit, "magnitude past the ordinary reduction's range (2^19)");
  const double n = (magnitude * kTwoOverPiDouble + kRoundingShift) - kRoundingShift;
  const auto quadrant = static_cast<unsigned>(static_cast<std::int64_t>(n) & 3);
  const double first = magnitude - n * kHalfPi1;
  const double rest = n * kHalfPi1Rest;
  const double hi = first - rest;
  if (std::fabs(hi) >= n * kShortStepsEnough) return {quadrant, {hi, (first - hi) - rest}};
  // Beside a multiple of pi/2: all four parts, every step exact but the last two.
  const DoubleDouble second = twoSum(first, -(n * kHalfPi2));
  const DoubleDouble third = twoSum(second.hi, -(n * kHalfPi3));
  const double low = (second.lo + third.lo) - n * kHalfPi4;
  return {quadrant, twoSum(third.hi, low)};
}

HalfPiFraction fractionOfHalfPi(double magnitude) {
  // Outside it the product's bits would be read from past its ends.
  VANTOMERE_RANGE_CHECK(magnitude > kBelowQuarterPi && magnitude < kReductionLimit,
                        "magnitude outside the reduction by 2/pi's range (pi/4 to 2^124)");
  int exponent = 0;
  const double fraction = std::frexp(magnitude, &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, kMantissaBits));
  // magnitude * 2/pi = product * 2^-point; bits at and above the point are
  // the multiple of pi/2, of which only the last two matter.
  const int point = kTwoOverPiBits - (exponent - kMantissaBits);
  const WideProduct product = timesTwoOverPi(mantissa);
  HalfPiFraction result{static_cast<unsigned>(wordAt(product, point) & 3u), false,
                        {wordAt(product, point - 64), wordAt(product, point - 128), wordAt(product, point - 192)}};
  if ((result.words[0] >> 63) != 0) {  // f >= 1/2: the next multiple, and f - 1
    result.quadrant = (result.quadrant + 1) & 3u;
    result.negative = true;
    std::uint64_t carry = 1;
    for (std::size_t i = 3; i-- > 0;) {
      result.words[i] = ~result.words[i] + carry;
      carry = (carry != 0 && result.words[i] == 0) ? 1 : 0;
    }
  }
  return result;
}

ReducedAngle reduceByHalfPi(double magnitude) {
  const HalfPiFraction fraction = fractionOfHalfPi(magnitude);
  const DoubleDouble remainder = multiply(fractionToDoubleDouble(fraction.words), kHalfPi);
  if (fraction.negative) return {fraction.quadrant, {-remainder.hi, -remainder.lo}};
  return {fraction.quadrant, remainder};
}

ReducedAngle reduceAccurately(double magnitude) {
  if (magnitude <= kBelowQuarterPi) return {0, {magnitude, 0.0}};
  return reduceByHalfPi(magnitude);
}
