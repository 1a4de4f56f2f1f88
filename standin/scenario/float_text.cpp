#include "float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "quoted_text.h"

namespace standin {

std::string floatText(std::uint64_t bits) {
  float value;
  const auto low = static_cast<std::uint32_t>(bits);
  std::memcpy(&value, &low, sizeof value);
  if (!std::isfinite(value)) return hex(low, 8);
  // Without an exponent where one does (30, not 3e+01).
  std::string shortest;
  for (int digits = 1; digits <= 9; ++digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    const float back = std::strtof(text, nullptr);
    if (back != value || std::signbit(back) != std::signbit(value)) continue;
    if (!std::strchr(text, 'e')) return text;
    if (shortest.empty()) shortest = text;
  }
  return shortest;
}

}  // namespace standin
