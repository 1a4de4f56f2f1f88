// Native calls as the planted-fault plug-ins make them: every argument pushed
// as its declared kind in planted.names, so that only the planted fault
// breaks a rule.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "script_host.h"

namespace planted {

inline std::uint64_t intSlot(std::int32_t value) { return static_cast<std::uint32_t>(value); }

inline std::uint64_t floatSlot(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float floatOf(std::uint64_t slot) {
  const auto bits = static_cast<std::uint32_t>(slot);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::int32_t intOf(std::uint64_t slot) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(slot));
}

inline std::uint64_t pointerSlot(const void* address) { return reinterpret_cast<std::uintptr_t>(address); }

// The result slots, valid until the next call.
inline const std::uint64_t* call(std::uint64_t hash, std::initializer_list<std::uint64_t> slots = {}) {
  nativeInit(hash);
  for (std::uint64_t slot : slots) nativePush64(slot);
  return nativeCall();
}

}  // namespace planted
