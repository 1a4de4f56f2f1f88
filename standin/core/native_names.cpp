#include "native_names.h"

#include <map>

#include "game_text_hash.h"
#include "quoted_text.h"

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

// The names loaded from names files, for the whole process.
std::map<std::uint64_t, std::string>& nativeNames() {
  static std::map<std::uint64_t, std::string> names;
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

std::string nativeWords(std::uint64_t hash) {
  const std::string name = nativeName(hash);
  return name.empty() ? hex(hash, 16) : name + " (" + hex(hash, 16) + ")";
}

void addNativeName(std::uint64_t hash, const std::string& name) { nativeNames()[hash] = name; }

void forgetNativeNames() { nativeNames().clear(); }

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
