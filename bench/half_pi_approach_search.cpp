// The closest approach of a float angle to a multiple of pi/2, as the roads
// see it: x = double(degrees) * 0.017453292519943295, for every positive
// float (or a range of bit patterns) whose x lies past pi/4: 0 degrees, the
// one exact multiple, and the angles whose nearest multiple is 0 left out.
// Multiples of 90 degrees stay in: x is never one of pi/2, and 2610 degrees
// comes nearest of all.
//
//   half_pi_approach_search [FIRST LAST]   (bit patterns in hex)
//
// The reduction by 2/pi's budget rests on the closest. A filter with the
// room's own reduction keeps the angles whose fraction of pi/2 lies below
// 2^-40; MPFR confirms each and prints the closest. Every positive float
// (1,028,390,911 past pi/4; 60,387 kept, 2610 degrees times powers of two
// among the nearest), two busy shared cores: 2^-60.49 at 2610 degrees, in
// 2 min 10 s.
#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "float_sweep.h"
#include "trigonometry/angle_reduction.h"

namespace {

// |f| < 2^-40, a distance below 2^-39.3: the top word of |f| * 2^192 below 2^24.
constexpr std::uint64_t kFilterWord = std::uint64_t{1} << 24;
constexpr int kShown = 8;

struct Approach {
  float degrees;
  double x;
  double log2Distance;  // MPFR's
  double filtersLog2;   // the room's reduction's
};

class ApproachSearch {
 public:
  ApproachSearch() {
    mpfr_inits2(kPrecision, x_, multiple_, halfPi_, distance_, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(halfPi_, MPFR_RNDN);
    mpfr_div_2ui(halfPi_, halfPi_, 1, MPFR_RNDN);
  }
  ApproachSearch(ApproachSearch&& other) noexcept : ApproachSearch() {
    checked = other.checked;
    found = std::move(other.found);
  }
  ApproachSearch(const ApproachSearch&) = delete;
  ApproachSearch& operator=(const ApproachSearch&) = delete;
  ~ApproachSearch() { mpfr_clears(x_, multiple_, halfPi_, distance_, static_cast<mpfr_ptr>(nullptr)); }

  void visit(std::uint32_t bits) {
    const float degrees = floatOfBits(bits);
    const double x = static_cast<double>(degrees) * kRadiansPerDegree;
    if (!(x > kBelowQuarterPi)) return;
    ++checked;
    const HalfPiFraction fraction = fractionOfHalfPi(x);
    if (fraction.words[0] >= kFilterWord) return;
    const double filtersLog2 = std::log2(std::ldexp(static_cast<double>(fraction.words[0]), -64) +
                                         std::ldexp(static_cast<double>(fraction.words[1]), -128)) +
                               std::log2(1.5707963267948966);
    found.push_back({degrees, x, exactLog2Distance(x), filtersLog2});
  }

  std::uint64_t checked = 0;
  std::vector<Approach> found;

 private:
  static constexpr mpfr_prec_t kPrecision = 512;  // x below 2^124, distances above 2^-100

  double exactLog2Distance(double x) {
    mpfr_set_d(x_, x, MPFR_RNDN);
    mpfr_div(multiple_, x_, halfPi_, MPFR_RNDN);
    mpfr_rint(multiple_, multiple_, MPFR_RNDN);
    mpfr_mul(multiple_, multiple_, halfPi_, MPFR_RNDN);
    mpfr_sub(distance_, x_, multiple_, MPFR_RNDN);
    long exponent = 0;
    const double mantissa = std::fabs(mpfr_get_d_2exp(&exponent, distance_, MPFR_RNDN));
    return std::log2(mantissa) + static_cast<double>(exponent);
  }

  mpfr_t x_, multiple_, halfPi_, distance_;
};

}  // namespace

int main(int argc, char** argv) {
  const FloatRange range = floatRangeOf(argc, argv);
  const auto start = std::chrono::steady_clock::now();
  std::vector<ApproachSearch> searches = sweepFloats<ApproachSearch>(range, [] { return ApproachSearch(); });
  std::uint64_t checked = 0;
  std::vector<Approach> found;
  for (const ApproachSearch& search : searches) {
    checked += search.checked;
    found.insert(found.end(), search.found.begin(), search.found.end());
  }
  std::sort(found.begin(), found.end(),
            [](const Approach& a, const Approach& b) { return a.log2Distance < b.log2Distance; });
  std::printf("floats past pi/4 checked: %" PRIu64 ", %.0f s; nearer a multiple of pi/2 than 2^-39.3, each "
              "confirmed with MPFR: %zu\n",
              checked, secondsSince(start), found.size());
  bool agree = true;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const Approach& a = found[i];
    agree = agree && std::fabs(a.log2Distance - a.filtersLog2) < 0.01;
    if (i < kShown)
      std::printf("2^%.2f at %.9g degrees (x = %a)\n", a.log2Distance, static_cast<double>(a.degrees), a.x);
  }
  if (!found.empty()) std::printf("closest approach: 2^%.2f at %.9g degrees\n", found[0].log2Distance,
                                  static_cast<double>(found[0].degrees));
  if (!agree) std::printf("the filter's distances and MPFR's disagree\n");
  return agree ? 0 : 1;
}
