#include "core/script_entry.h"

#include "config/settings_loader.h"
#include "config/settings_store.h"
#include "core/fault_trap.h"
#include "core/player_character.h"
#include "features/alternative_camera.h"
#include "features/camera_shake.h"
#include "features/melee_gore.h"
#include "host/host_interface.h"
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

}  // namespace

void startUp() {
  refreshPlayerCharacter();
  const SettingsMap defaults = makeDefaultSettings();
  loadSettings(kSettingsFileName, defaults);
  initNamesGenerator();
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
