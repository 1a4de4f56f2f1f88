#include "native_names.h"

#include <map>

#include "game_text_hash.h"

namespace standin {

const std::vector<std::pair<std::uint64_t, unsigned>>& knownTextArguments() {
  static const std::vector<std::pair<std::uint64_t, unsigned>> known = {
      {kTextHashNative, 0},
      {natives::kMakeNoticeText, 1},   // notice text: kind of text
      {natives::kMakeNoticeText, 2},   // notice text: the text itself
      {natives::kShakeCamera, 0},      // camera shake: name of the shake
  };
  return known;
}

const std::vector<std::pair<std::uint64_t, unsigned>>& knownOutArguments() {
  static const std::vector<std::pair<std::uint64_t, unsigned>> known = {
      {natives::kCurrentWeapon, 1},  // current weapon: the weapon hash
      {natives::kTargetBone, 1},     // target bone: the bone id
  };
  return known;
}

namespace {

const std::map<std::uint64_t, std::string>& nativeNames() {
  static const std::map<std::uint64_t, std::string> names = {
      {natives::kPlayerCharacter, "player character"},
      {kTextHashNative, "text hash"},
      {natives::kCurrentWeapon, "current weapon"},
      {0x7EE53118C892B513, "entity state test"},
      {natives::kRevealControlTest, "reveal control test"},
      {natives::kZoomControlTest, "zoom control test"},
      {0xA571D46727E2B718, "control set test"},
      {0x2412D9C05BB09B97, "entity offset vector"},
      {0xE09CAF86C32CB48F, "entity rotation"},
      {0x936F967D4BE1CE9D, "aim gate test"},
      {0x959383DCD42040DA, "aim weapon test"},
      {0x01FEE67DB37F59B2, "aim character test"},
      {natives::kApplyCamera, "apply alternative camera"},
      {natives::kMeleeTarget, "melee target"},
      {0xCF8176912DDA4EA5, "target test 1"},
      {0xB980061DA992779D, "target test 2"},
      {0x7D5B1F88E7504BBA, "target test 3"},
      {natives::kTargetBone, "target bone"},
      {0x17C07FC640E86B4E, "bone position"},
      {natives::kGoreShot, "gore shot"},
      {0x705BE297EEBDB95D, "shake weapon test"},
      {0x34616828CD07F1A1, "character firing"},
      {0xEA4C5F4AA0A4DBEF, "shake game test"},
      {0xC75386174ECE95D5, "strong shake weapon test"},
      {natives::kShakeCamera, "shake camera"},
      {natives::kMakeNoticeText, "make notice text"},
      {0xFA233F8FE190514C, "set notice text"},
      {0xE9990552DEC71600, "prepare notice"},
      {0xDFF0D417277B41F8, "show notice"},
  };
  return names;
}

// Names are written in scenarios with '-' or '_' for their spaces.
bool sameName(const std::string& written, const std::string& name) {
  if (written.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool space = name[i] == ' ' && (written[i] == '-' || written[i] == '_' || written[i] == ' ');
    if (!space && written[i] != name[i]) return false;
  }
  return true;
}

}  // namespace

std::string nativeName(std::uint64_t hash) {
  const auto found = nativeNames().find(hash);
  return found == nativeNames().end() ? std::string() : found->second;
}

std::uint64_t nativeHashByName(const std::string& name) {
  for (const auto& [hash, known] : nativeNames())
    if (sameName(name, known)) return hash;
  return 0;
}

std::string gameHashName(std::uint32_t hash) {
  static const std::map<std::uint32_t, std::string> names = [] {
    std::map<std::uint32_t, std::string> built = {
        {0x28950C71, "melee weapon 1"},
        {0xEF32A25D, "melee weapon 2"},
        {0x31B7B9FE, "gore shot kind"},
    };
    for (const char* text : {"weapon_unarmed", "INPUT_SNIPER_ZOOM_IN_ONLY",
                             "INPUT_SNIPER_ZOOM_OUT_ONLY", "INPUT_REVEAL_HUD"})
      built[gameTextHash(text)] = text;
    return built;
  }();
  auto found = names.find(hash);
  return found == names.end() ? std::string() : found->second;
}

}  // namespace standin
