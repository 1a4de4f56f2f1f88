#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/line_error.h"
#include "base/quoted_text.h"

namespace standin {

struct Token {
  std::string text;
  bool quoted = false;
};

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
