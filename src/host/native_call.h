// The one typed layer through which the plug-in calls game natives.
#pragma once

#include <cstdint>

#include "script_host.h"
#include "host/native_slots.h"

// The answer of one native call. It views the host's result slots, which the
// next call overwrites: read what is needed before beginning another call.
class NativeResult {
 public:
  explicit NativeResult(const std::uint64_t* slots) : slots_(slots) {}
  std::int32_t asInt() const { return slot::toInt(slots_[0]); }
  GameHandle asHandle() const { return slot::toInt(slots_[0]); }
  GameHash asHash() const { return slot::toHash(slots_[0]); }
  bool asTruth() const { return slot::toTruth(slots_[0]); }
  std::uint64_t asWhole() const { return slots_[0]; }
  HostVector3 asVector() const { return slot::toVector(slots_); }

 private:
  const std::uint64_t* slots_;
};

// One native call: constructing it begins the call, each push appends one
// argument slot in the native's parameter order, perform() makes the call.
// No other call may be begun between construction and perform().
// Inline, so that each push costs the plug-in one call of the host's and
// no more: a frame pushes a score of them.
class NativeCall {
 public:
  explicit NativeCall(std::uint64_t nativeHash) { nativeInit(nativeHash); }
  NativeCall(const NativeCall&) = delete;
  NativeCall& operator=(const NativeCall&) = delete;

  NativeCall& pushInt(std::int32_t value) { return pushWhole(slot::ofInt(value)); }
  NativeCall& pushHandle(GameHandle handle) { return pushWhole(slot::ofInt(handle)); }
  NativeCall& pushHash(GameHash hash) { return pushWhole(slot::ofHash(hash)); }
  NativeCall& pushBool(bool value) { return pushWhole(slot::ofBool(value)); }
  NativeCall& pushFloat(float value) { return pushWhole(slot::ofFloat(value)); }
  NativeCall& pushText(const char* text) { return pushWhole(slot::ofAddress(text)); }  // must outlive perform()
  NativeCall& pushOutVariable(std::int32_t* variable) { return pushWhole(slot::ofAddress(variable)); }
  NativeCall& pushOutVariable(std::uint32_t* variable) { return pushWhole(slot::ofAddress(variable)); }
  NativeCall& pushZero() { return pushWhole(0); }
  NativeCall& pushWhole(std::uint64_t value) {  // a 64-bit value a native gave
    nativePush64(value);
    return *this;
  }

  NativeResult perform() { return NativeResult(nativeCall()); }
};
