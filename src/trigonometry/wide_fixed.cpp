#include "trigonometry/wide_fixed.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr std::size_t kLimbs = 8;
constexpr int kMantissaBits = 53;

// Bits position to position + 63 of a; bits outside it read as zero.
std::uint64_t wordAt(const WideFixed& a, int position) {
  std::uint64_t word = 0;
  for (int bit = 0; bit < 64; ++bit) {
    const int at = position + bit;
    if (at < 0 || at >= 256) continue;
    word |= std::uint64_t{(a.limbs[static_cast<std::size_t>(at / 32)] >> (at % 32)) & 1u} << bit;
  }
  return word;
}

int topBit(const WideFixed& a) {
  for (std::size_t i = kLimbs; i-- > 0;) {
    for (int bit = 31; bit >= 0; --bit)
      if ((a.limbs[i] >> bit) & 1u) return static_cast<int>(32 * i) + bit;
  }
  return -1;
}

bool anyBitBelow(const WideFixed& a, int position) {
  for (int at = 0; at < position; ++at)
    if ((a.limbs[static_cast<std::size_t>(at / 32)] >> (at % 32)) & 1u) return true;
  return false;
}

}  // namespace

WideFixed plus(const WideFixed& a, const WideFixed& b) {
  WideFixed sum{};
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < kLimbs; ++i) {
    const std::uint64_t limb = std::uint64_t{a.limbs[i]} + b.limbs[i] + carry;
    sum.limbs[i] = static_cast<std::uint32_t>(limb);
    carry = limb >> 32;
  }
  return sum;
}

WideFixed minus(const WideFixed& a, const WideFixed& b) {
  WideFixed difference{};
  std::uint64_t borrow = 0;
  for (std::size_t i = 0; i < kLimbs; ++i) {
    const std::uint64_t taken = std::uint64_t{b.limbs[i]} + borrow;
    difference.limbs[i] = static_cast<std::uint32_t>(std::uint64_t{a.limbs[i]} - taken);
    borrow = a.limbs[i] < taken ? 1 : 0;
  }
  return difference;
}

WideFixed times(const WideFixed& a, const WideFixed& b) {
  std::array<std::uint32_t, 2 * kLimbs> product{};
  for (std::size_t i = 0; i < kLimbs; ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < kLimbs; ++j) {
      const std::uint64_t sum = std::uint64_t{a.limbs[i]} * b.limbs[j] + product[i + j] + carry;  // < 2^64
      product[i + j] = static_cast<std::uint32_t>(sum);
      carry = sum >> 32;
    }
    product[i + kLimbs] = static_cast<std::uint32_t>(carry);
  }
  WideFixed result{};
  const std::size_t dropped = kWideFractionBits / 32;
  for (std::size_t i = 0; i < kLimbs; ++i) result.limbs[i] = product[i + dropped];
  return result;
}

WideFixed dividedBy(const WideFixed& a, std::uint32_t divisor) {
  WideFixed quotient{};
  std::uint64_t remainder = 0;
  for (std::size_t i = kLimbs; i-- > 0;) {
    const std::uint64_t dividend = (remainder << 32) | a.limbs[i];
    quotient.limbs[i] = static_cast<std::uint32_t>(dividend / divisor);
    remainder = dividend % divisor;
  }
  return quotient;
}

WideFixed shiftedRight(const WideFixed& a, int bits) {
  WideFixed shifted{};
  for (std::size_t i = 0; i < kLimbs; ++i)
    shifted.limbs[i] = static_cast<std::uint32_t>(wordAt(a, static_cast<int>(32 * i) + bits));
  return shifted;
}

WideFixed wideFromDouble(double x) {
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, kMantissaBits));
  // x = mantissa * 2^(exponent - 53): the mantissa's lowest bit lands at this bit.
  const int lowest = kWideFractionBits + exponent - kMantissaBits;
  WideFixed result{};
  for (int bit = 0; bit < kMantissaBits; ++bit) {
    const int at = lowest + bit;
    if (((mantissa >> bit) & 1u) != 0 && at >= 0 && at < 256)
      result.limbs[static_cast<std::size_t>(at / 32)] |= 1u << (at % 32);
  }
  return result;
}

double nearestDouble(const WideFixed& a) {
  const int top = topBit(a);
  const int lowest = top - (kMantissaBits - 1);
  // The 53 bits of the double, the bit below them, and whether any lies lower.
  std::uint64_t mantissa = wordAt(a, lowest) & ((std::uint64_t{1} << kMantissaBits) - 1);
  const bool half = (wordAt(a, lowest - 1) & 1u) != 0;
  const bool beyondHalf = anyBitBelow(a, lowest - 1);
  if (half && (beyondHalf || (mantissa & 1u) != 0)) ++mantissa;
  return std::ldexp(static_cast<double>(mantissa), lowest - kWideFractionBits);
}
