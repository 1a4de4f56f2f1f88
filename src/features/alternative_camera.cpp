#include "features/alternative_camera.h"

#include <cstdint>

#include "features/player_character.h"
#include "features/game_queries.h"
#include "host/native_call.h"

bool alternativeCameraOn = true;

namespace {

constexpr std::uint64_t kAimGateNative = 0x936F967D4BE1CE9D;
constexpr std::uint64_t kAimWeaponNative = 0x959383DCD42040DA;
constexpr std::uint64_t kAimCharacterNative = 0x01FEE67DB37F59B2;
constexpr std::uint64_t kApplyCameraNative = 0x2126C740A4AC370B;
constexpr GameHash kUnarmed = 0xA2719263;
constexpr char kZoomInControl[] = "INPUT_SNIPER_ZOOM_IN_ONLY";
constexpr char kZoomOutControl[] = "INPUT_SNIPER_ZOOM_OUT_ONLY";
constexpr char kRevealHudControl[] = "INPUT_REVEAL_HUD";

// Each test is asked only when the ones before it passed; the weapon is
// asked anew for each of its two tests.
bool gatePasses() {
  if (!NativeCall(kAimGateNative).pushInt(0).perform().asTruth()) return false;
  if (currentWeaponHash(playerCharacter) == kUnarmed) return false;
  if (hashTest(kAimWeaponNative, currentWeaponHash(playerCharacter))) return false;
  return handleTest(kAimCharacterNative, playerCharacter);
}

// When the game selects the zoom controls, `zoomControl` switches the toggle;
// otherwise the reveal-HUD control does. The set is asked again before the
// reveal-HUD control, since the game may change its answer within the frame.
bool switchRequested(const char* zoomControl) {
  if (controlSetTest(0) && zoomControlTest(0, hashOfText(zoomControl))) return true;
  return !controlSetTest(0) && revealControlTest(0, hashOfText(kRevealHudControl));
}

void applyAlternativeCamera() { NativeCall(kApplyCameraNative).pushFloat(1.0f).pushFloat(1.0f).perform(); }

}  // namespace

// The camera is applied before the switch is tested: the frame that turns
// the toggle off still shows it, the frame that turns it on does not yet.
void alternativeCameraStep() {
  if (!gatePasses()) return;
  if (alternativeCameraOn) applyAlternativeCamera();
  if (switchRequested(alternativeCameraOn ? kZoomOutControl : kZoomInControl))
    alternativeCameraOn = !alternativeCameraOn;
}
