#include "core/script_entry.h"

#include "config/settings_loader.h"
#include "config/settings_store.h"
#include "core/fault_trap.h"
#include "features/player_character.h"
#include "features/alternative_camera.h"
#include "features/camera_shake.h"
#include "features/melee_gore.h"
#include "script_host.h"
#include "names/names_generator.h"

namespace {

constexpr HostDword kStartUpWaitMs = 500;
constexpr HostDword kEndOfFrameWaitMs = 0;
constexpr char kSettingsFileName[] = "Vantomere.ini";

// Each switch is asked just before its step, inside the trap, so a bad
// switch text costs only the rest of this frame's feature work.
void frameFeatureWork() {
  if (isSettingOn(kAlternativeCameraSwitch)) alternativeCameraStep();
  if (isSettingOn(kMeleeWeaponsGoreSwitch)) meleeGoreStep();
  if (isSettingOn(kCameraShakeOnShotSwitch)) cameraShakeStep();
}

void startUpSteps() {
  refreshPlayerCharacter();
  const SettingsMap defaults = makeDefaultSettings();
  loadSettings(kSettingsFileName, defaults);
  initNamesGenerator();
}

// Start-up cut short before the store was published: the frames run with the
// defaults, or, when even those find no memory, with every switch off.
void publishDefaultsIfNothingWas() noexcept {
  if (!settingsStore().empty()) return;
  try {
    publishSettingsStore(makeDefaultSettings());
  } catch (...) {
  }
}

}  // namespace

// Only an exhausted memory can make start-up fail. An exception that left
// the script entry would take the game down, so start-up runs in the frame's
// fault trap: the failure is logged and shown, and the frames run with what
// start-up got done.
void startUp() {
  runTrapped(startUpSteps);
  publishDefaultsIfNothingWas();
}

void runFrame() {
  refreshPlayerCharacter();
  runTrapped(frameFeatureWork);
  scriptWait(kEndOfFrameWaitMs);
}

void scriptEntry() {
  scriptWait(kStartUpWaitMs);
  startUp();
  for (;;) runFrame();
}
