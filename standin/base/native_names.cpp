#include "base/native_names.h"

#include <map>

#include "base/game_text_hash.h"
#include "base/quoted_text.h"
#include "base/line_error.h"

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

struct NameBook {
  std::map<std::uint64_t, std::string> byHash;
  // Names with '-' and '_' read as spaces, so "fire-now" and "fire now" are one name.
  std::map<std::string, std::pair<std::uint64_t, std::string>> byName;  // hash, where given
  std::map<std::uint64_t, NativeSignature> signatures;
};

std::string nameKey(std::string name) {
  for (char& c : name)
    if (c == '-' || c == '_') c = ' ';
  return name;
}

// The names the stand-in knows without any names file.
NameBook builtInNames() {
  NameBook built;
  built.byHash[kTextHashNative] = kTextHashName;
  built.byName[nameKey(kTextHashName)] = {kTextHashNative, "the stand-in's own name"};
  NativeSignature& textHash = built.signatures[kTextHashNative];
  textHash.parameters = textHash.slots = {ValueKind::Text};
  textHash.result = ValueKind::Hash;
  textHash.declaration = "(text) -> hash";
  return built;
}

NameBook& book() {
  static NameBook names = builtInNames();
  return names;
}

}  // namespace

std::string nativeName(std::uint64_t hash) {
  const auto found = book().byHash.find(hash);
  return found == book().byHash.end() ? std::string() : found->second;
}

std::uint64_t nativeHashByName(const std::string& name) {
  const auto found = book().byName.find(nameKey(name));
  return found == book().byName.end() ? 0 : found->second.first;
}

std::string nativeWords(std::uint64_t hash) {
  const std::string name = nativeName(hash);
  return name.empty() ? hex(hash, 16) : name + " (" + hex(hash, 16) + ")";
}

void addNativeName(std::uint64_t hash, const std::string& name, const std::string& where) {
  NameBook& names = book();
  const auto taken = names.byName.find(nameKey(name));
  if (taken != names.byName.end() && taken->second.first != hash)
    throw LineError("the name " + shownWord(name) + " is given to " + hex(taken->second.first, 16) + " already (" +
                    taken->second.second + ")");
  const auto old = names.byHash.find(hash);
  // The native's earlier name goes, unless it is the stand-in's own.
  if (taken != names.byName.end()) return;  // the same name again: the first place stays the one told
  if (old != names.byHash.end() && hash != kTextHashNative) names.byName.erase(nameKey(old->second));
  names.byHash[hash] = name;
  names.byName[nameKey(name)] = {hash, where};
}

void declareSignature(std::uint64_t hash, NativeSignature signature) {
  book().signatures[hash] = std::move(signature);
}

const NativeSignature* nativeSignature(std::uint64_t hash) {
  const auto found = book().signatures.find(hash);
  return found == book().signatures.end() ? nullptr : &found->second;
}

bool declaresSlot(const NativeSignature* signature, unsigned slot, ValueKind kind) {
  if (!signature || slot >= signature->slots.size()) return false;
  return signature->slots[slot] == kind || (kind == ValueKind::Out && isOutKind(signature->slots[slot]));
}

void forgetNativeNames() { book() = builtInNames(); }

namespace {
constexpr const char* kKindNames[] = {"int",   "handle",    "hash",       "bool",      "float", "vector", "text",
                                      "out",   "whole",     "out-float",  "out-vector", "out-whole", "?"};
}  // namespace

bool isOutKind(ValueKind kind) {
  return kind == ValueKind::Out || kind == ValueKind::OutFloat || kind == ValueKind::OutVector ||
         kind == ValueKind::OutWhole;
}

std::size_t outWidth(ValueKind kind) {
  return kind == ValueKind::OutVector ? 24 : kind == ValueKind::OutWhole ? 8 : 4;
}

const char* valueKindName(ValueKind kind) { return kKindNames[static_cast<int>(kind)]; }

bool kindNamed(const std::string& word, ValueKind& kind) {
  for (int i = 0; i < static_cast<int>(ValueKind::Unknown); ++i)
    if (word == kKindNames[i]) {
      kind = static_cast<ValueKind>(i);
      return true;
    }
  return false;
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
