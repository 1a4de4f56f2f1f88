#pragma once

#include <cstdint>
#include <string_view>

namespace standin {

// The game's hash of a name: one-at-a-time over the lower-cased bytes.
std::uint32_t gameTextHash(std::string_view text);

}  // namespace standin
