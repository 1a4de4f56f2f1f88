#include "host/native_call.h"

#include "host/host_interface.h"

NativeCall::NativeCall(std::uint64_t nativeHash) { nativeInit(nativeHash); }

NativeCall& NativeCall::pushInt(std::int32_t value) { return pushWhole(slot::ofInt(value)); }
NativeCall& NativeCall::pushHandle(GameHandle handle) { return pushWhole(slot::ofInt(handle)); }
NativeCall& NativeCall::pushHash(GameHash hash) { return pushWhole(slot::ofHash(hash)); }
NativeCall& NativeCall::pushBool(bool value) { return pushWhole(slot::ofBool(value)); }
NativeCall& NativeCall::pushFloat(float value) { return pushWhole(slot::ofFloat(value)); }
NativeCall& NativeCall::pushText(const char* text) { return pushWhole(slot::ofAddress(text)); }
NativeCall& NativeCall::pushOutVariable(std::int32_t* variable) {
  return pushWhole(slot::ofAddress(variable));
}
NativeCall& NativeCall::pushOutVariable(std::uint32_t* variable) {
  return pushWhole(slot::ofAddress(variable));
}
NativeCall& NativeCall::pushZero() { return pushWhole(0); }

NativeCall& NativeCall::pushWhole(std::uint64_t value) {
  nativePush64(value);
  return *this;
}

NativeResult NativeCall::perform() { return NativeResult(nativeCall()); }
