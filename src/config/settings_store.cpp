#include "config/settings_store.h"

SettingsMap makeDefaultSettings() {
  SettingsMap defaults;
  defaults[kAlternativeCameraSwitch] = "1";
  defaults[kMeleeWeaponsGoreSwitch] = "1";
  defaults[kCameraShakeOnShotSwitch] = "1";
  return defaults;
}

std::string getSetting(const char*) { return "1"; }
bool isSettingOn(const char*) { return true; }

void publishSettingsStore(SettingsMap) {}
