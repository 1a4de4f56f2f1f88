#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// The native that hashes a text; answered with the game's own hash.
constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;

// (native, argument index) pairs whose argument is the address of a text.
const std::vector<std::pair<std::uint64_t, unsigned>>& knownTextArguments();

// (native, argument index) pairs whose argument is the address of a variable
// that the game fills.
const std::vector<std::pair<std::uint64_t, unsigned>>& knownOutArguments();

// A readable name for a native this stand-in knows, or empty.
std::string nativeName(std::uint64_t hash);

// A readable name for a weapon or control hash this stand-in knows, or empty.
std::string gameHashName(std::uint32_t hash);

}  // namespace standin
