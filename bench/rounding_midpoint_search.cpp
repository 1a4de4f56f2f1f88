// How near the sine and cosine of a float angle come to a midpoint between
// two doubles, as the roads see the angle: x = double(degrees) *
// 0.017453292519943295, for every positive float (or a range of bit
// patterns), the negative ones being their mirror:
//
//   rounding_midpoint_search [FIRST LAST]   (bit patterns in hex)
//
// The accurate road's rounding test rests on the nearest. The filter is the
// room's split quick road: its rounding test passes only where both values
// lie farther than 2^-10.7 of an ulp from a midpoint (a margin of 2^-63 of
// the value, its error below 2^-64.3), so every angle it declines, about one
// in a hundred, is measured with MPFR. Every positive float (9,667,170
// declined, 4,804 values within 2^-20 of an ulp), two busy shared cores:
// 2^-31.66 of an ulp, the sine of 3.44107537e13 degrees, then 2^-30.86 (the
// sine of 3.57995272 degrees) and 2^-29.70 (the sine of 1795.43689
// degrees), in 9 min 28 s.
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
#include "trigonometry/sine_cosine_near.h"

namespace {

constexpr double kKeptBelow = -20.0;  // log2 of the distance, in ulps
constexpr int kShown = 12;

struct NearMidpoint {
  float degrees;
  bool cosine;
  double log2Distance;  // in ulps of the value
};

class MidpointSearch {
 public:
  MidpointSearch() { mpfr_inits2(kPrecision, x_, sine_, cosine_, static_cast<mpfr_ptr>(nullptr)); }
  MidpointSearch(MidpointSearch&& other) noexcept : MidpointSearch() {
    checked = other.checked;
    measured = other.measured;
    found = std::move(other.found);
  }
  MidpointSearch(const MidpointSearch&) = delete;
  MidpointSearch& operator=(const MidpointSearch&) = delete;
  ~MidpointSearch() { mpfr_clears(x_, sine_, cosine_, static_cast<mpfr_ptr>(nullptr)); }

  void visit(std::uint32_t bits) {
    const float degrees = floatOfBits(bits);
    const double x = static_cast<double>(degrees) * kRadiansPerDegree;
    if (x == 0.0) return;  // sine and cosine exact
    ++checked;
    // The split road's own reduction and quick road.
    const ReducedAngle reduced = x <= kOrdinaryAngleLimit ? reduceOrdinaryAngle(x) : reduceByHalfPi(x);
    SineCosine vouched{};
    if (quickSineCosineNear(reduced.remainder, vouched)) return;
    ++measured;
    mpfr_set_d(x_, x, MPFR_RNDN);
    mpfr_sin_cos(sine_, cosine_, x_, MPFR_RNDN);
    keepIfNear(degrees, false, log2DistanceFromMidpoint(sine_));
    keepIfNear(degrees, true, log2DistanceFromMidpoint(cosine_));
  }

  std::uint64_t checked = 0, measured = 0;
  std::vector<NearMidpoint> found;

 private:
  // 53 bits and 60 more: distances down to 2^-50 of an ulp come out to 10 bits.
  static constexpr mpfr_prec_t kPrecision = 113;

  void keepIfNear(float degrees, bool cosine, double log2Distance) {
    if (log2Distance < kKeptBelow) found.push_back({degrees, cosine, log2Distance});
  }

  // |v| = m 2^e with m in [1/2, 1): the ulp is 2^(e - 53), the distance that
  // of m 2^53's fraction from 1/2.
  static double log2DistanceFromMidpoint(mpfr_t v) {
    mpfr_t scaled;
    mpfr_init2(scaled, kPrecision);
    mpfr_abs(scaled, v, MPFR_RNDN);
    mpfr_mul_2si(scaled, scaled, 53 - mpfr_get_exp(v), MPFR_RNDN);
    mpfr_frac(scaled, scaled, MPFR_RNDN);
    mpfr_sub_d(scaled, scaled, 0.5, MPFR_RNDN);
    const double distance = std::fabs(mpfr_get_d(scaled, MPFR_RNDN));
    mpfr_clear(scaled);
    return std::log2(distance);
  }

  mpfr_t x_, sine_, cosine_;
};

}  // namespace

int main(int argc, char** argv) {
  const FloatRange range = floatRangeOf(argc, argv);
  const auto start = std::chrono::steady_clock::now();
  std::vector<MidpointSearch> searches = sweepFloats<MidpointSearch>(range, [] { return MidpointSearch(); });
  std::uint64_t checked = 0, measured = 0;
  std::vector<NearMidpoint> found;
  for (const MidpointSearch& search : searches) {
    checked += search.checked;
    measured += search.measured;
    found.insert(found.end(), search.found.begin(), search.found.end());
  }
  std::sort(found.begin(), found.end(),
            [](const NearMidpoint& a, const NearMidpoint& b) { return a.log2Distance < b.log2Distance; });
  std::printf("floats checked: %" PRIu64 ", %.0f s; declined by the quick road and measured with MPFR: %" PRIu64
              "; every other value lies farther than 2^-10.7 of an ulp from a midpoint\n",
              checked, secondsSince(start), measured);
  std::printf("values within 2^%.0f of an ulp: %zu\n", kKeptBelow, found.size());
  for (std::size_t i = 0; i < found.size() && i < kShown; ++i)
    std::printf("2^%.2f of an ulp: the %s of %.9g degrees\n", found[i].log2Distance, found[i].cosine ? "cosine" : "sine",
                static_cast<double>(found[i].degrees));
  if (!found.empty()) std::printf("nearest a midpoint: 2^%.2f of an ulp, the %s of %.9g degrees\n", found[0].log2Distance,
                                  found[0].cosine ? "cosine" : "sine", static_cast<double>(found[0].degrees));
  return 0;
}
