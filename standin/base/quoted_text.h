#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace standin {

// A text between double quotes, with \" \\ \n \r \t and \xHH for every other
// byte outside printable ASCII, so any byte string fits on one line.
std::string quoteText(std::string_view text);

// Reads a quoted text starting at text[pos] (which must be '"'); on success
// sets pos just past the closing quote. False for a missing quote or a bad escape.
bool unquoteText(std::string_view text, std::size_t& pos, std::string& out);

// The text with every byte outside printable ASCII written as \xHH, so that
// whatever a file holds can be echoed in a message without harm to a terminal.
std::string printableText(std::string_view text);

// "0x" and the value in upper-case hex, zero-padded to `digits` digits.
std::string hex(std::uint64_t value, int digits);

}  // namespace standin
