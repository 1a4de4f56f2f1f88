#include "base/game_text_hash.h"

namespace standin {

std::uint32_t gameTextHash(std::string_view text) {
  std::uint32_t h = 0;
  for (unsigned char c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    h += c;
    h += h << 10;
    h ^= h >> 6;
  }
  h += h << 3;
  h ^= h >> 11;
  h += h << 15;
  return h;
}

}  // namespace standin
