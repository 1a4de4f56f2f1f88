#include "config/setting_number.h"

#include <cstdint>
#include <stdexcept>

namespace {

// Past the largest magnitude a 32-bit int can take, so digits after an
// overflow cannot wrap the sum back into range.
constexpr std::int64_t kMagnitudeCap = std::int64_t{1} << 32;

bool isStoiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int readSettingNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isStoiSpace(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  if (at == text.size() || !isDigit(text[at])) throw std::invalid_argument("invalid stoi argument");

  std::int64_t magnitude = 0;
  for (; at < text.size() && isDigit(text[at]); ++at) {
    magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) throw std::out_of_range("stoi argument out of range");
  return static_cast<int>(value);
}
