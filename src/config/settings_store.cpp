#include "config/settings_store.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <string_view>

#include "config/setting_number.h"

namespace {

// Heap-allocated and published once at start-up; freed when the library is
// unloaded, so a plug-in reloaded by the host does not leak a store per load.
std::unique_ptr<SettingsMap> publishedStore;

// The stored text, or null; found without building a std::string.
const std::string* searchStore(const char* name) {
  if (!publishedStore || name == nullptr) return nullptr;
  const auto found = publishedStore->find(std::string_view(name));
  return found == publishedStore->end() ? nullptr : &found->second;
}

// The frame asks the three switches in every frame. Their texts are found
// again whenever the store changes; a map's elements stay where they are
// until erased, which nothing does.
constexpr const char* kSwitchNames[] = {kAlternativeCameraSwitch, kMeleeWeaponsGoreSwitch,
                                        kCameraShakeOnShotSwitch};
const std::string* switchTexts[std::size(kSwitchNames)] = {};

void findSwitchTexts() {
  for (std::size_t i = 0; i < std::size(kSwitchNames); ++i) switchTexts[i] = searchStore(kSwitchNames[i]);
}

const std::string* findSetting(const char* name) {
  for (std::size_t i = 0; i < std::size(kSwitchNames); ++i)
    if (name == kSwitchNames[i]) return switchTexts[i];
  return searchStore(name);
}

}  // namespace

SettingsMap makeDefaultSettings() {
  SettingsMap defaults;
  defaults[kAlternativeCameraSwitch] = "1";
  defaults[kMeleeWeaponsGoreSwitch] = "1";
  defaults[kCameraShakeOnShotSwitch] = "1";
  return defaults;
}

void publishSettingsStore(SettingsMap store) {
  publishedStore = std::make_unique<SettingsMap>(std::move(store));
  findSwitchTexts();
}

void setSetting(std::string name, std::string text) {
  if (!publishedStore) publishSettingsStore({});
  (*publishedStore)[std::move(name)] = std::move(text);
  findSwitchTexts();
}

// At namespace scope, made when the library loads: a function's static
// would be guarded by the runtime's lock, whose semaphore outlives an unload.
static const SettingsMap nothingPublished;

const SettingsMap& settingsStore() {
  return publishedStore ? *publishedStore : nothingPublished;
}

std::string getSetting(const char* name) {
  const std::string* text = findSetting(name);
  return text ? *text : std::string();
}

// Reads the stored text in place: the frame asks three switches, and none of
// them needs a copy to be parsed.
bool isSettingOn(const char* name) {
  const std::string* text = findSetting(name);
  if (text == nullptr || text->empty()) return false;
  const int number = readSettingNumber(*text);
  return number != 0 && number != -1;
}
