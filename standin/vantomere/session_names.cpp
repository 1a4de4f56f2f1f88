#include "vantomere/session_names.h"

#include <cinttypes>
#include <cstdio>
#include <istream>
#include <iterator>

#include "base/game_text_hash.h"
#include "base/native_names.h"
#include "base/quoted_text.h"

namespace standin {

void HashNames::learnScenario(std::istream& scenario) {
  const std::string text((std::istreambuf_iterator<char>(scenario)), std::istreambuf_iterator<char>());
  static const std::string opening = "hash(";
  for (std::size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
    const std::size_t first = at + opening.size();
    const std::size_t closing = text.find_first_of(") \t\r\n#", first);
    if (closing == std::string::npos || text[closing] != ')' || closing == first) continue;
    const std::string name = text.substr(first, closing - first);
    add(gameTextHash(name), name);
  }
}

std::string HashNames::shortName(std::uint32_t hash) const {
  const auto found = learned_.find(hash);
  const std::string name = found != learned_.end() ? found->second : gameHashName(hash);
  return name.empty() ? hex(hash, 8) : name;
}

std::string HashNames::gameHash(std::uint32_t hash) const {
  const std::string name = shortName(hash);
  const std::string value = hex(hash, 8);
  return name == value ? value : name + " (" + value + ")";
}

std::string HashNames::native(std::uint64_t hash) const {
  const std::string name = nativeName(hash);
  return name.empty() ? hex(hash, 16) : name + " " + hex(hash, 16);
}

}  // namespace standin
