// How values travel in the host's 64-bit argument and result slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

using GameHandle = std::int32_t;  // entity or character; 0 is none
using GameHash = std::uint32_t;   // weapons, controls, names

// A vector as natives return it: each float in the low half of its own slot.
struct HostVector3 {
  float x;
  std::uint32_t xUpper;
  float y;
  std::uint32_t yUpper;
  float z;
  std::uint32_t zUpper;
};
static_assert(offsetof(HostVector3, x) == 0 && offsetof(HostVector3, y) == 8 &&
                  offsetof(HostVector3, z) == 16 && sizeof(HostVector3) == 24,
              "HostVector3 must match the host's result slot layout");

namespace slot {

// 32-bit values sit in the low half with the upper half zero, whatever the
// sign: a sign-extended -1 would reach the game as a different argument.
constexpr std::uint64_t ofInt(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}
constexpr std::uint64_t ofHash(GameHash value) { return value; }
constexpr std::uint64_t ofBool(bool value) { return value ? 1u : 0u; }

inline std::uint32_t floatBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
inline float floatOfBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
inline std::uint64_t ofFloat(float value) { return floatBits(value); }

inline std::uint64_t ofAddress(const void* address) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
}

constexpr std::int32_t toInt(std::uint64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}
constexpr GameHash toHash(std::uint64_t value) { return static_cast<GameHash>(value); }
constexpr bool toTruth(std::uint64_t value) { return static_cast<std::uint32_t>(value) != 0; }

// Reads only the low four bytes of each of the three slots; the upper
// halves may hold anything the game left there.
inline HostVector3 toVector(const std::uint64_t* slots) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(slots);
  HostVector3 v{};
  std::memcpy(&v.x, bytes + 0, sizeof v.x);
  std::memcpy(&v.y, bytes + 8, sizeof v.y);
  std::memcpy(&v.z, bytes + 16, sizeof v.z);
  return v;
}

}  // namespace slot
