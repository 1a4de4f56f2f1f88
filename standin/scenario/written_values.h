#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

// What the host wrote into argument `index` of `native`, as an expectation
// writes it after its '&', in the trace's form (with the '&'): read as the
// names file declares the variable, a vector as X,Y,Z, and 0x with more than
// 8 digits as a 64-bit value. Throws LineError.
std::string parseWrittenValue(const std::string& text, std::uint64_t native, std::size_t index);

}  // namespace standin
