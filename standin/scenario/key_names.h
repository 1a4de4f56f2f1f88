#pragma once

#include <cstdint>
#include <string>

#include "scenario/scenario_tokens.h"

namespace standin {

// The Windows virtual-key code named `name` (F8, SPACE, VK_RETURN, numpad0:
// any case, with or without VK_); false for no such name. The digit keys are
// VK_0 to VK_9 only, as bare digits are numbers.
bool keyCodeNamed(const std::string& name, std::uint32_t& code);

// The name a `key` line may give `code` by (F8, A, VK_0, NUMPAD3, SPACE); empty
// for a code with no name.
std::string keyNameOf(std::uint32_t code);

// A key code of a `key` line: a 32-bit number or hash(TEXT), or a key name.
std::uint32_t parseKeyCode(const Token& token);

}  // namespace standin
