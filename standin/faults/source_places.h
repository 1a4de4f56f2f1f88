// A verdict's message with each place of the plug-in (NAME+0xOFFSET) told
// in its source too, "NAME+0xOFFSET (function at file:line)", for what a
// person reads (standard error, JUnit). The trace keeps the offsets alone,
// so that it does not depend on which symbols a machine has.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace standin {

// The source place of an offset in the module, or empty when not known.
using SourcePlaceOf = std::function<std::string(std::uint64_t offset)>;

// Places of `module` (its file name) only; another module's are left as they are.
std::string withSourcePlaces(const std::string& message, const std::string& module, const SourcePlaceOf& placeOf);

// "0x1b40", "1b40", "0x0000000000001b40" or "NAME+0x1b40" as an offset; false when not one.
bool parseOffset(const std::string& text, std::uint64_t& offset);

}  // namespace standin
