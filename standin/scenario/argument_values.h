#pragma once

#include <cstdint>

#include "scenario/scenario_tokens.h"

namespace standin {

// Whether argument slot `index` of `native` carries a 32-bit float: declared
// `float` in a names file, or one of the three slots of a declared `vector`.
bool holdsFloat(std::uint64_t native, unsigned index);

// A number for argument slot `index` of `native`, as expectations and `when`
// conditions write it: 0x bits, hash(TEXT), a decimal (a negative one in two's
// complement); for a slot that holds a float, a decimal is the float nearest
// to it (35, 35.0, -2e-3), compared by its bits.
std::uint64_t parseArgumentSlot(const Token& token, std::uint64_t native, unsigned index);

}  // namespace standin
