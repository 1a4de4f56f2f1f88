#pragma once

#include <functional>
#include <map>
#include <string>

// Setting name to setting text. The transparent comparator lets a lookup by
// a C text go without building a std::string.
using SettingsMap = std::map<std::string, std::string, std::less<>>;

constexpr char kAlternativeCameraSwitch[] = "AlternativeCamera";
constexpr char kMeleeWeaponsGoreSwitch[] = "MeleeWeaponsGore";
constexpr char kCameraShakeOnShotSwitch[] = "CameraShakeOnShot";

SettingsMap makeDefaultSettings();

// Makes `store` the process-wide settings store. Until the first call the
// store reads as empty, so every switch reads off.
void publishSettingsStore(SettingsMap store);

std::string getSetting(const char* name);
bool isSettingOn(const char* name);
