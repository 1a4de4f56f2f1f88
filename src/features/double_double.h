#pragma once

// Unevaluated sums of two doubles, for the few places that need more than
// double precision. The error terms rely on every product and sum being
// rounded on its own: the build forbids fusing a multiply into an add
// (-ffp-contract=off, /fp:precise), and these must never be built without it.
struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, in any order of magnitude (Knuth).
DoubleDouble twoSum(double a, double b);

// a * b exactly, without a fused multiply-add (Dekker); |a|, |b| well below 2^996.
DoubleDouble twoProduct(double a, double b);

// (a.hi + a.lo) + b to about 104 bits.
DoubleDouble plus(DoubleDouble a, double b);

// (a.hi + a.lo) * (b.hi + b.lo) to about 104 bits.
DoubleDouble multiply(DoubleDouble a, DoubleDouble b);
