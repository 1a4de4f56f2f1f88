#include "scenario/scenario_tokens.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "base/game_text_hash.h"
#include "base/quoted_text.h"

namespace standin {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

[[noreturn]] void refuse(const Token& token, const char* what, const char* expected) {
  throw LineError("bad " + std::string(what) + " " + shownWord(token.text) + ": " + expected);
}

// Plain digits only, the whole word: no sign, no spaces, nothing after.
bool readUnsigned(std::string_view text, std::uint64_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  const char* end = text.data() + text.size();
  const auto read = std::from_chars(text.data(), end, value, base);
  return !text.empty() && read.ec == std::errc() && read.ptr == end;
}

// A finite float from a decimal as strtof reads it: a leading '+' allowed,
// one too small for a float read as a zero of its sign.
bool readFloat(std::string_view text, float& value) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  const auto read = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (read.ptr != end || text.empty()) return false;
  if (read.ec == std::errc::result_out_of_range) {
    double wide = 0;
    const bool readsWide = std::from_chars(text.data(), end, wide, std::chars_format::general).ec == std::errc();
    const std::string_view digits = text.substr(text[0] == '-' ? 1 : 0);
    const std::size_t exponent = digits.find_first_of("eE");
    const bool tiny = readsWide ? std::fabs(wide) < 1.0
                      : exponent != std::string_view::npos ? digits.substr(exponent + 1, 1) == "-"
                                                            : digits[0] == '.' || digits.substr(0, 2) == "0.";
    if (!tiny) return false;
    value = text[0] == '-' ? -0.0f : 0.0f;
    return true;
  }
  return read.ec == std::errc() && std::isfinite(value);
}

bool readHashOfText(std::string_view text, std::uint32_t& value) {
  if (text.size() < 7 || text.substr(0, 5) != "hash(" || text.back() != ')') return false;
  value = gameTextHash(text.substr(5, text.size() - 6));
  return true;
}

// Reads an optionally negative number whose magnitude is at most `largest`
// (and at most `largestNegative` when negative); negatives wrap in 64 bits.
bool readSigned(std::string_view text, std::uint64_t largest, std::uint64_t largestNegative,
                std::uint64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (!readUnsigned(text, value)) return false;
  if (value > (negative ? largestNegative : largest)) return false;
  if (negative) value = 0 - value;
  return true;
}

// A raw NUL byte would end the word wherever it is read as a C string;
// "\x00" in a quoted text says it on purpose.
void refuseNul(std::string_view word) {
  if (word.find('\0') != std::string_view::npos) throw LineError("a NUL byte in " + shownWord(word));
}

}  // namespace

void skipByteOrderMark(std::string& firstLine) {
  if (firstLine.rfind("\xEF\xBB\xBF", 0) == 0) firstLine.erase(0, 3);
}

std::vector<Token> tokenizeLine(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t pos = 0;
  while (pos < line.size()) {
    if (isSpace(line[pos])) {
      ++pos;
    } else if (line[pos] == '#') {
      break;
    } else if (line[pos] == '"') {
      const std::size_t start = pos;
      Token token{"", true};
      if (!unquoteText(line, pos, token.text))
        throw LineError("unterminated or badly escaped quoted text");
      refuseNul(line.substr(start, pos - start));
      tokens.push_back(std::move(token));
    } else {
      const std::size_t start = pos;
      std::string ignored;
      while (pos < line.size() && !isSpace(line[pos]) && line[pos] != '#') {
        // I="a text" of a 'when' keeps its quoted text in the word, spaces and all.
        if (line[pos] == '"' && pos > start && line[pos - 1] == '=') {
          if (!unquoteText(line, pos, ignored)) throw LineError("unterminated or badly escaped quoted text");
          continue;
        }
        ++pos;
      }
      refuseNul(line.substr(start, pos - start));
      tokens.push_back({std::string(line.substr(start, pos - start)), false});
    }
  }
  return tokens;
}

std::uint64_t parseUnsigned(const Token& token, std::uint64_t largest, const char* what) {
  std::uint64_t value = 0;
  if (token.quoted || !readUnsigned(token.text, value))
    refuse(token, what, "expected a decimal or 0x-hexadecimal number");
  if (value > largest)
    refuse(token, what, ("largest allowed is " + std::to_string(largest)).c_str());
  return value;
}

std::uint32_t parseWord(const Token& token, const char* what) {
  std::uint32_t hashed = 0;
  if (!token.quoted && readHashOfText(token.text, hashed)) return hashed;
  std::uint64_t value = 0;
  if (token.quoted || !readSigned(token.text, 0xFFFFFFFFull, 0x80000000ull, value))
    refuse(token, what, "expected a 32-bit number (-2147483648 to 0xFFFFFFFF) or hash(TEXT)");
  return static_cast<std::uint32_t>(value);
}

std::uint64_t parseWhole(const Token& token, const char* what) {
  std::uint32_t hashed = 0;
  if (!token.quoted && readHashOfText(token.text, hashed)) return hashed;
  std::uint64_t value = 0;
  if (token.quoted || !readSigned(token.text, ~0ull, 0x8000000000000000ull, value))
    refuse(token, what, "expected a 64-bit number or hash(TEXT)");
  return value;
}

std::uint32_t parseFloatBits(const Token& token, const char* what) {
  std::uint64_t bits = 0;
  if (!token.quoted && token.text.size() > 2 && token.text[1] == 'x' && readUnsigned(token.text, bits) &&
      bits <= 0xFFFFFFFFull)
    return static_cast<std::uint32_t>(bits);
  float value = 0;
  if (token.quoted || !readFloat(token.text, value))
    refuse(token, what, "expected a finite decimal number such as -2.5e-3, or a bit pattern such as 0x3F800000");
  std::uint32_t floatBits;
  std::memcpy(&floatBits, &value, sizeof floatBits);
  return floatBits;
}

}  // namespace standin
