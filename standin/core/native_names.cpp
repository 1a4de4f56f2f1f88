#include "native_names.h"

#include <map>

#include "game_text_hash.h"

namespace standin {

const std::vector<std::pair<std::uint64_t, unsigned>>& knownTextArguments() {
  static const std::vector<std::pair<std::uint64_t, unsigned>> known = {
      {kTextHashNative, 0},
      {0xFA925AC00EB830B9, 1},  // notice text: kind of text
      {0xFA925AC00EB830B9, 2},  // notice text: the text itself
      {0xD9B31B4650520529, 0},  // camera shake: name of the shake
  };
  return known;
}

const std::vector<std::pair<std::uint64_t, unsigned>>& knownOutArguments() {
  static const std::vector<std::pair<std::uint64_t, unsigned>> known = {
      {0x3A87E44BB9A01D54, 1},  // current weapon: the weapon hash
      {0xD75960F6BD9EA49C, 1},  // target bone: the bone id
  };
  return known;
}

std::string nativeName(std::uint64_t hash) {
  static const std::map<std::uint64_t, std::string> names = {
      {0x096275889B8E0EE0, "player character"},
      {kTextHashNative, "text hash"},
      {0x3A87E44BB9A01D54, "current weapon"},
      {0x7EE53118C892B513, "entity state test"},
      {0x50F940259D3841E6, "reveal control test"},
      {0xF3A21BCD95725A4A, "zoom control test"},
      {0xA571D46727E2B718, "control set test"},
      {0x2412D9C05BB09B97, "entity offset vector"},
      {0xE09CAF86C32CB48F, "entity rotation"},
      {0x936F967D4BE1CE9D, "aim gate test"},
      {0x959383DCD42040DA, "aim weapon test"},
      {0x01FEE67DB37F59B2, "aim character test"},
      {0x2126C740A4AC370B, "apply alternative camera"},
      {0x18A3E9EE1297FD39, "melee target"},
      {0xCF8176912DDA4EA5, "target test 1"},
      {0xB980061DA992779D, "target test 2"},
      {0x7D5B1F88E7504BBA, "target test 3"},
      {0xD75960F6BD9EA49C, "target bone"},
      {0x17C07FC640E86B4E, "bone position"},
      {0x867654CBC7606F2C, "gore shot"},
      {0x705BE297EEBDB95D, "shake weapon test"},
      {0x34616828CD07F1A1, "character firing"},
      {0xEA4C5F4AA0A4DBEF, "shake game test"},
      {0xC75386174ECE95D5, "strong shake weapon test"},
      {0xD9B31B4650520529, "shake camera"},
      {0xFA925AC00EB830B9, "make notice text"},
      {0xFA233F8FE190514C, "set notice text"},
      {0xE9990552DEC71600, "notice step 3"},
      {0xDFF0D417277B41F8, "show notice"},
  };
  auto found = names.find(hash);
  return found == names.end() ? std::string() : found->second;
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
