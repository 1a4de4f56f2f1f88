#include "features/double_double.h"

namespace {

// Splits a into a high part of 26 bits and the rest, so that products of
// parts are exact in double.
DoubleDouble split(double a) {
  const double scaled = 134217729.0 * a;  // 2^27 + 1
  const double excess = scaled - a;
  const double hi = scaled - excess;
  return {hi, a - hi};
}

}  // namespace

DoubleDouble twoSum(double a, double b) {
  const double sum = a + b;
  const double bPart = sum - a;
  const double aPart = sum - bPart;
  const double bError = b - bPart;
  const double aError = a - aPart;
  return {sum, aError + bError};
}

DoubleDouble twoProduct(double a, double b) {
  const double product = a * b;
  const DoubleDouble as = split(a);
  const DoubleDouble bs = split(b);
  const double highHigh = as.hi * bs.hi;
  const double highLow = as.hi * bs.lo;
  const double lowHigh = as.lo * bs.hi;
  const double lowLow = as.lo * bs.lo;
  const double error1 = highHigh - product;
  const double error2 = error1 + highLow;
  const double error3 = error2 + lowHigh;
  return {product, error3 + lowLow};
}

DoubleDouble plus(DoubleDouble a, double b) {
  const DoubleDouble sum = twoSum(a.hi, b);
  const double low = sum.lo + a.lo;
  return twoSum(sum.hi, low);
}

DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  const DoubleDouble main = twoProduct(a.hi, b.hi);
  const double cross1 = a.hi * b.lo;
  const double cross2 = a.lo * b.hi;
  const double cross = cross1 + cross2;
  const double low = main.lo + cross;
  return twoSum(main.hi, low);
}
