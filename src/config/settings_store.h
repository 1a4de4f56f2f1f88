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

std::string getSetting(const char* name);
bool isSettingOn(const char* name);
