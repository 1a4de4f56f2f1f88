#include "rounded_reference.h"

#include <cmath>
#include <limits>

namespace {

// The long double sine and cosine are trusted to 2^-60 of their value (eight
// of their ulps; the C library claims one or two).
constexpr long double kTrusted = 0x1p-60L;

// The double nearest v when v lies farther than its trusted error from both
// midpoints beside that double, so that the exact value rounds alike.
bool settled(long double v, double& nearest) {
  nearest = static_cast<double>(v);
  const long double below = std::nextafter(nearest, -std::numeric_limits<double>::infinity());
  const long double above = std::nextafter(nearest, std::numeric_limits<double>::infinity());
  const long double margin = std::fabs(v) * kTrusted;
  return v - (nearest + below) / 2 > margin && (nearest + above) / 2 - v > margin;
}

}  // namespace

RoundedReference::RoundedReference() {
  mpfr_init2(x_, 53);
  mpfr_init2(sine_, 53);
  mpfr_init2(cosine_, 53);
}

RoundedReference::~RoundedReference() {
  mpfr_clear(x_);
  mpfr_clear(sine_);
  mpfr_clear(cosine_);
}

void RoundedReference::of(double x, double& sine, double& cosine) {
  const long double wide = x;
  if (settled(std::sin(wide), sine) && settled(std::cos(wide), cosine)) return;
  exactlyOf(x, sine, cosine);
}

void RoundedReference::exactlyOf(double x, double& sine, double& cosine) {
  ++mpfrCalls_;
  mpfr_set_d(x_, x, MPFR_RNDN);
  mpfr_sin_cos(sine_, cosine_, x_, MPFR_RNDN);
  sine = mpfr_get_d(sine_, MPFR_RNDN);
  cosine = mpfr_get_d(cosine_, MPFR_RNDN);
}
