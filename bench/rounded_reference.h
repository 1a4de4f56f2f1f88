#pragma once

#include <mpfr.h>

#include <cstdint>

// sin x and cos x each rounded to the nearest double, for the exhaustive
// check. The long double values of the C library (64 bits, within a few of
// their ulps of the exact ones) settle every value that lies well away from a
// midpoint between two doubles; MPFR settles the rest. One per thread.
class RoundedReference {
 public:
  RoundedReference();
  ~RoundedReference();
  RoundedReference(const RoundedReference&) = delete;
  RoundedReference& operator=(const RoundedReference&) = delete;

  void of(double x, double& sine, double& cosine);
  // MPFR alone, to confirm a disagreement or to check the long double values.
  void exactlyOf(double x, double& sine, double& cosine);
  std::uint64_t mpfrCalls() const { return mpfrCalls_; }

 private:
  mpfr_t x_, sine_, cosine_;
  std::uint64_t mpfrCalls_ = 0;
};
