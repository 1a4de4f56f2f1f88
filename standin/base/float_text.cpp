#include "base/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/quoted_text.h"

namespace standin {

namespace {

// The float in the fewest significant digits that read back to it, as
// printf's %g writes that many: no exponent when the decimal exponent lies
// from -4 to one below the digits.
bool readsBack(const char* text, const char* end, float value) {
  float back = 0;
  const auto read = std::from_chars(text, end, back);
  return read.ec == std::errc() && read.ptr == end && back == value && std::signbit(back) == std::signbit(value);
}

}  // namespace

std::string floatText(std::uint64_t bits) {
  float value;
  const auto low = static_cast<std::uint32_t>(bits);
  std::memcpy(&value, &low, sizeof value);
  if (!std::isfinite(value)) return hex(low, 8);
  // The shortest digits and their exponent: "-1.2345679e+08".
  char text[48];
  char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
  char* exponentMark = std::find(text, end, 'e');
  int exponent = 0;
  std::from_chars(exponentMark + (exponentMark[1] == '+' ? 2 : 1), end, exponent);
  int digits = 0;
  for (const char* c = text; c != exponentMark; ++c) digits += *c >= '0' && *c <= '9';
  // Without an exponent where more digits do (100000000, not 1e+08), as long as
  // at most 9 digits, which read back any float, are enough.
  if (exponent >= -4)
    for (int precision = std::max(digits, exponent + 1); precision <= 9; ++precision) {
      char* plain = std::to_chars(text + 16, text + sizeof text, value, std::chars_format::general, precision).ptr;
      if (std::find(text + 16, plain, 'e') == plain && readsBack(text + 16, plain, value))
        return std::string(text + 16, plain);
    }
  return std::string(text, end);
}

}  // namespace standin
