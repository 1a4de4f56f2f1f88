#include "features/game_queries.h"

namespace {
constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;
constexpr std::uint64_t kCurrentWeaponNative = 0x3A87E44BB9A01D54;
constexpr std::uint64_t kEntityStateNative = 0x7EE53118C892B513;
constexpr std::uint64_t kRevealControlNative = 0x50F940259D3841E6;
constexpr std::uint64_t kZoomControlNative = 0xF3A21BCD95725A4A;
constexpr std::uint64_t kControlSetNative = 0xA571D46727E2B718;
}  // namespace

GameHash hashOfText(const char* text) { return NativeCall(kTextHashNative).pushText(text).perform().asHash(); }

GameHash currentWeaponHash(GameHandle character) {
  // Starts at 0 so that a game that writes nothing yields "no weapon", not
  // whatever the stack held.
  std::uint32_t weapon = 0;
  NativeCall(kCurrentWeaponNative)
      .pushHandle(character)
      .pushOutVariable(&weapon)
      .pushZero()
      .pushZero()
      .pushZero()
      .perform();
  return weapon;
}

bool entityStateTest(GameHandle entity, std::int32_t a, std::int32_t b) {
  return NativeCall(kEntityStateNative).pushHandle(entity).pushInt(a).pushInt(b).perform().asTruth();
}

bool revealControlTest(std::int32_t n, GameHash control) {
  return NativeCall(kRevealControlNative).pushInt(n).pushHash(control).perform().asTruth();
}

bool zoomControlTest(std::int32_t n, GameHash control) {
  return NativeCall(kZoomControlNative).pushInt(n).pushHash(control).perform().asTruth();
}

bool controlSetTest(std::int32_t n) { return NativeCall(kControlSetNative).pushInt(n).perform().asTruth(); }

bool handleTest(std::uint64_t native, GameHandle handle) {
  return NativeCall(native).pushHandle(handle).perform().asTruth();
}

bool hashTest(std::uint64_t native, GameHash hash) { return NativeCall(native).pushHash(hash).perform().asTruth(); }

void pushThreeFloats(NativeCall& call, float x, float y, float z) {
  call.pushFloat(x).pushFloat(y).pushFloat(z);
}
