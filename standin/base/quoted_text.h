#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A word of the input as a message quotes it: in single quotes, bytes outside
// printable ASCII as \xHH (a NUL ends nothing), cut short when long, so a
// message stays one readable line whatever the file holds.
std::string shownWord(std::string_view word);

// An out-variable wider than 32 bits as a trace line writes it: &0x and 16
// digits for a 64-bit value, &0xX,0xY,0xZ (8 digits each) for a vector.
std::string wideOutWord(const std::vector<std::uint64_t>& slots);

// "0x" and the value in upper-case hex, zero-padded to `digits` digits.
std::string hex(std::uint64_t value, int digits);

}  // namespace standin
