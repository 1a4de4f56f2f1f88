#include "chaos/chaos_values.h"

#include <cmath>
#include <cstring>
#include <iterator>

namespace standin::chaos {

namespace {

std::uint32_t bitsOf(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

template <typename T, std::size_t N>
T pickFrom(ChaosRandom& random, const T (&values)[N]) {
  return values[random.below(N)];
}

// One of `weights.size()` cases, each as often as its weight.
template <std::size_t N>
std::size_t weighted(ChaosRandom& random, const unsigned (&weights)[N]) {
  unsigned total = 0;
  for (unsigned weight : weights) total += weight;
  auto roll = static_cast<unsigned>(random.below(total));
  for (std::size_t i = 0; i < N; ++i) {
    if (roll < weights[i]) return i;
    roll -= weights[i];
  }
  return N - 1;
}

std::uint32_t smallCount(ChaosRandom& random) { return static_cast<std::uint32_t>(random.between(2, 16)); }

}  // namespace

std::uint32_t randomInt(ChaosRandom& random) {
  static const std::uint32_t extremes[] = {0x7FFFFFFF, 0x80000000, 0x7FFFFFFE, 0xFFFFFFFE, 0xFFFF, 0x10000};
  switch (weighted(random, {20, 10, 10, 20, 10, 15, 15})) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 0xFFFFFFFF;
    case 3: return smallCount(random);
    case 4: return pickFrom(random, extremes);
    case 5: return static_cast<std::uint32_t>(random.between(-1000, 1000));
    default: return static_cast<std::uint32_t>(random.next());
  }
}

std::uint32_t randomHandle(ChaosRandom& random) {
  switch (weighted(random, {30, 10, 10, 10, 25, 15})) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 0xFFFFFFFF;
    case 3: return smallCount(random);
    case 4: return static_cast<std::uint32_t>(random.between(17, 200000));
    default: return static_cast<std::uint32_t>(random.next());
  }
}

std::uint32_t randomHash(ChaosRandom& random) {
  switch (weighted(random, {20, 10, 10, 10, 50})) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 0xFFFFFFFF;
    case 3: return smallCount(random);
    default: return static_cast<std::uint32_t>(random.next());
  }
}

std::uint32_t randomBool(ChaosRandom& random) {
  switch (weighted(random, {40, 40, 10, 10})) {
    case 0: return 0;
    case 1: return 1;
    case 2: return smallCount(random);
    default: return 0xFFFFFFFF;
  }
}

std::uint32_t randomFloatBits(ChaosRandom& random) {
  static const std::uint32_t nans[] = {0x7FC00000, 0xFFC00000, 0x7F800001, 0x7FFFFFFF};
  static const std::uint32_t denormals[] = {0x00000001, 0x007FFFFF, 0x80000001, 0x00400000};
  static const float extremes[] = {3.4028235e38f, -3.4028235e38f, 1.17549435e-38f, -1.17549435e-38f};
  static const float huge[] = {1e6f, -1e6f, 1e9f, -1e9f, 1e20f, -1e30f, 16777217.0f, 8388608.5f};
  switch (weighted(random, {12, 5, 8, 8, 12, 8, 5, 5, 5, 5, 7, 15, 5})) {
    case 0: return 0;
    case 1: return 0x80000000;  // -0
    case 2: return bitsOf(1.0f);
    case 3: return bitsOf(-1.0f);
    case 4: {
      const auto count = static_cast<float>(smallCount(random));
      return bitsOf(random.chance(500) ? count : -count);
    }
    case 5: return pickFrom(random, nans);
    case 6: return bitsOf(HUGE_VALF);
    case 7: return bitsOf(-HUGE_VALF);
    case 8: return pickFrom(random, denormals);
    case 9: return bitsOf(pickFrom(random, extremes));
    case 10: return bitsOf(pickFrom(random, huge));
    case 11: return bitsOf(static_cast<float>(random.between(-100000, 100000)) / 100.0f);
    default: return static_cast<std::uint32_t>(random.next());
  }
}

std::uint64_t randomWhole(ChaosRandom& random) {
  switch (weighted(random, {25, 10, 10, 15, 20, 20})) {
    case 0: return 0;
    case 1: return 1;
    case 2: return ~std::uint64_t{0};
    case 3: return randomInt(random);
    case 4: return 0x0000000100000000u | random.below(0x100000000u);  // upper half set
    default: return random.next();
  }
}

std::uint32_t randomKeyCode(ChaosRandom& random, const std::uint32_t* hints, std::size_t hintCount) {
  // Function keys, letters, digits, the arrows and the keys mods bind.
  static const std::uint32_t usual[] = {
      0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1-F12
      0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D,
      0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A,  // A-Z
      0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,  // 0-9
      0x25, 0x26, 0x27, 0x28, 0x20, 0x0D, 0x1B, 0x09, 0x10, 0x11, 0x12, 0x2D, 0x2E,
      0x21, 0x22, 0x23, 0x24, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69};
  static const std::uint32_t odd[] = {0, 0xFF, 0x100, 0xFFFFFFFF, 0x80000000};
  if (hintCount > 0 && random.chance(600)) return hints[random.below(hintCount)];
  switch (weighted(random, {50, 25, 10, 7, 8})) {
    case 0: return usual[random.below(12)];  // the function keys: what mods bind most
    case 1: return usual[random.below(38)];  // and the letters
    case 2: return pickFrom(random, usual);
    case 3: return pickFrom(random, odd);
    default: return static_cast<std::uint32_t>(random.next());
  }
}

int intRank(std::uint32_t value) {
  const auto signedValue = static_cast<std::int32_t>(value);
  if (signedValue == 0) return 0;
  if (signedValue == 1) return 1;
  if (signedValue == -1) return 2;
  if (signedValue >= -16 && signedValue <= 16) return 3;
  if (signedValue >= -1000 && signedValue <= 1000) return 4;
  return 5;
}

int floatRank(std::uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  if (bits == 0) return 0;
  if (value == 1.0f) return 1;
  if (value == -1.0f) return 2;
  if (std::isnan(value)) return 9;
  if (std::isinf(value)) return 8;
  if (std::fpclassify(value) == FP_SUBNORMAL) return 7;
  if (bits == 0x80000000) return 6;
  if (value == std::floor(value) && std::fabs(value) <= 16) return 3;
  if (std::fabs(value) <= 1000) return 4;
  return 5;
}

}  // namespace standin::chaos
