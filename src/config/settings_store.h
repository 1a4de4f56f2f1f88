#pragma once

#include <functional>
#include <map>
#include <string>

// Setting name to setting text, ordered byte by byte. The transparent
// comparator lets a lookup by a C text go without building a std::string.
using SettingsMap = std::map<std::string, std::string, std::less<>>;

// One object each in the whole program: asked by these very names, the
// switches are found without a search (see isSettingOn).
inline constexpr char kAlternativeCameraSwitch[] = "AlternativeCamera";
inline constexpr char kMeleeWeaponsGoreSwitch[] = "MeleeWeaponsGore";
inline constexpr char kCameraShakeOnShotSwitch[] = "CameraShakeOnShot";

SettingsMap makeDefaultSettings();

// Makes `store` the process-wide settings store, in place of any earlier
// one. Until the first call the store reads as empty, so every switch reads
// off.
void publishSettingsStore(SettingsMap store);

// Inserts `name` with `text`, or overwrites its text. Publishes an empty
// store first if none is published, so no assignment is lost.
void setSetting(std::string name, std::string text);

// The whole published store, read-only; empty until one is published.
const SettingsMap& settingsStore();

// A copy of the text stored under `name`, or the empty text.
std::string getSetting(const char* name);

// Whether the switch `name` is on: its text read as a decimal integer, off
// for 0 and -1, on for any other number; an empty or absent text is off.
// Throws std::invalid_argument or std::out_of_range for a text that does
// not read as a 32-bit integer.
bool isSettingOn(const char* name);
