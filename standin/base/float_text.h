#pragma once

#include <cstdint>
#include <string>

namespace standin {

// A 32-bit float given by its bit pattern (the low half of a slot), as the
// shortest decimal that reads back as the same float (30, not 3e+01, where
// no exponent is needed); hex for infinities and NaNs.
std::string floatText(std::uint64_t bits);

}  // namespace standin
