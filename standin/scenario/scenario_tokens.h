#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// A fault in one scenario line; the parser adds the file name and line number.
class LineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Token {
  std::string text;
  bool quoted = false;
};

// A word of the input as a message quotes it: in single quotes, bytes outside
// printable ASCII as \xHH (a NUL ends nothing), cut short when long, so a
// message stays one readable line whatever the file holds.
std::string shownWord(std::string_view word);

// Drops a UTF-8 byte-order mark from the start of a file's first line, as
// Windows editors write one.
void skipByteOrderMark(std::string& firstLine);

// Splits a line into words and "quoted texts"; '#' outside quotes starts a comment.
std::vector<Token> tokenizeLine(std::string_view line);

// Decimal or 0x-hexadecimal, at most `largest`; `what` names the value in errors.
std::uint64_t parseUnsigned(const Token& token, std::uint64_t largest, const char* what);

// A 32-bit value: -2147483648 to 4294967295 (hex up to 0xFFFFFFFF), or
// hash(TEXT) for the game's hash of TEXT. Gives the 32 bits.
std::uint32_t parseWord(const Token& token, const char* what);

// A 64-bit value: decimal, 0x-hexadecimal, a negative decimal (two's
// complement), or hash(TEXT).
std::uint64_t parseWhole(const Token& token, const char* what);

// A 32-bit float's bit pattern: from a finite decimal such as 1.5, -2 or 1e-3,
// or given directly in 0x-hexadecimal (0x3F800000 is 1.0).
std::uint32_t parseFloatBits(const Token& token, const char* what);

}  // namespace standin
