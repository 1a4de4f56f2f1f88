#pragma once

#include <array>
#include <cstdint>

#include "trigonometry/room_only.h"

// Numbers from 0 to below 2^32 in 256-bit fixed point, 224 bits after the
// point (little-endian 32-bit limbs), for the one road of the trigonometry
// that needs more than double-double precision. Every operation but plus and
// minus truncates, by less than one unit of the last place (2^-224).
struct WideFixed {
  std::array<std::uint32_t, 8> limbs;
};

constexpr int kWideFractionBits = 224;

WideFixed plus(const WideFixed& a, const WideFixed& b);
WideFixed minus(const WideFixed& a, const WideFixed& b);  // a >= b
WideFixed times(const WideFixed& a, const WideFixed& b);
WideFixed dividedBy(const WideFixed& a, std::uint32_t divisor);
WideFixed shiftedRight(const WideFixed& a, int bits);

// Exact for 2^-171 <= x < 2^32.
WideFixed wideFromDouble(double x);

// The double nearest a, for a >= 2^-160.
double nearestDouble(const WideFixed& a);
