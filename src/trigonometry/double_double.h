#pragma once

#include "trigonometry/room_only.h"

// Unevaluated sums of two doubles, for the few places that need more than
// double precision. The error terms rely on every product and sum being
// rounded on its own: the build forbids fusing a multiply into an add
// (-ffp-contract=off, /fp:precise), and these must never be built without it.
// They are constexpr so that tables of more than double precision can be
// worked out by the compiler with the very same steps.
struct DoubleDouble {
  double hi;
  double lo;
};

// Adding it rounds a double of magnitude below 2^51 to a whole number, which
// then sits in the low bits of the sum; subtracting it again leaves that
// whole number as a double.
constexpr double kRoundingShift = 0x1.8p52;

// a + b exactly, in any order of magnitude (Knuth).
constexpr DoubleDouble twoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  const double aPart = sum - bPart;
  const double bError = b - bPart;
  const double aError = a - aPart;
  return {sum, aError + bError};
}

// a + b exactly, when a is 0 or |a| >= |b| (Dekker): half the steps of twoSum.
constexpr DoubleDouble fastTwoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  return {sum, b - bPart};
}

// Splits a into a high part of 26 bits and the rest, so that products of
// parts are exact in double.
constexpr DoubleDouble splitForProduct(double a) {
  const double scaled = 134217729.0 * a;  // 2^27 + 1
  const double excess = scaled - a;
  const double hi = scaled - excess;
  return {hi, a - hi};
}

// a * b exactly from the splits of a and b, for a factor split once and used twice.
constexpr DoubleDouble twoProductOfSplits(double a, DoubleDouble as, double b, DoubleDouble bs) {
  const double product = a * b;
  const double highHigh = as.hi * bs.hi;
  const double highLow = as.hi * bs.lo;
  const double lowHigh = as.lo * bs.hi;
  const double lowLow = as.lo * bs.lo;
  const double error1 = highHigh - product;
  const double error2 = error1 + highLow;
  const double error3 = error2 + lowHigh;
  return {product, error3 + lowLow};
}

// a * b exactly, without a fused multiply-add (Dekker); |a|, |b| well below 2^996.
constexpr DoubleDouble twoProduct(double a, double b) {
  return twoProductOfSplits(a, splitForProduct(a), b, splitForProduct(b));
}

// (a.hi + a.lo) + b to about 104 bits.
constexpr DoubleDouble plus(DoubleDouble a, double b) {
  const DoubleDouble sum = twoSum(a.hi, b);
  const double low = sum.lo + a.lo;
  return twoSum(sum.hi, low);
}

// (a.hi + a.lo) + (b.hi + b.lo) to about 104 bits.
constexpr DoubleDouble plus(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble sum = twoSum(a.hi, b.hi);
  const double low = (sum.lo + a.lo) + b.lo;
  return twoSum(sum.hi, low);
}

// (a.hi + a.lo) * (b.hi + b.lo) to about 104 bits.
constexpr DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble main = twoProduct(a.hi, b.hi);
  const double cross1 = a.hi * b.lo;
  const double cross2 = a.lo * b.hi;
  const double cross = cross1 + cross2;
  const double low = main.lo + cross;
  return twoSum(main.hi, low);
}

// (a.hi + a.lo) / n to about 104 bits, for a small whole number n.
constexpr DoubleDouble divide(DoubleDouble a, double n) {
  const double first = a.hi / n;
  const DoubleDouble back = twoProduct(first, n);
  const double rest = ((a.hi - back.hi) - back.lo + a.lo) / n;
  return twoSum(first, rest);
}
