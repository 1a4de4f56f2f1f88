#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "trigonometry/double_double.h"
#include "trigonometry/fused_multiply_add.h"
#include "trigonometry/roads_of_degrees.h"
#include "trigonometry/sine_cosine_fused.h"
#include "trigonometry/sine_cosine_near.h"
#include "trigonometry/sine_cosine_of_degrees.h"
#include "trigonometry/sine_cosine_wide.h"

namespace {

// Reference values of sin and cos of double(degrees) * k, each the double
// nearest the exact value, worked out with 1000-bit arithmetic (the last
// rows with 400 bits): beside the multiples of 90 degrees, exact values that
// lie within a few thousandths of an ulp of a midpoint between two doubles,
// the denormals, both sides of the end of the ordinary reduction; 2610
// degrees, of all floats the nearest a multiple of pi/2 (2^-60.49), the
// two whose sines lie nearest a midpoint (2^-30.86 and 2^-31.66 of an ulp),
// and nine more whose sine or cosine lies 2^-28.0 to 2^-29.7 of an ulp from
// one: with the two, the ten nearest of all that
// bench/rounding_midpoint_search lists, and 5.36709052e27 degrees.
struct PinnedAngle {
  float degrees;
  std::uint64_t sine;
  std::uint64_t cosine;
};

std::uint64_t bitsOfDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

TEST(AngleTrig, MatchesCorrectlyRoundedValuesIncludingNearTheZeros) {
  const PinnedAngle cases[] = {
      {90.0f, 0x3ff0000000000000ull, 0x3c91a62633145c07ull},
      {180.0f, 0x3ca1a62633145c07ull, 0xbff0000000000000ull},
      {270.0f, 0xbff0000000000000ull, 0xbcaa79394c9e8a0aull},
      {359.9f, 0xbf5c98e271de9295ull, 0x3feffffcce330096ull},
      {-123.456f, 0xbfeab2a9abbb98abull, 0xbfe1a4387ad899ceull},
      {33.3f, 0x3fe1919847084ab6ull, 0x3feabeef18476bcfull},
      {1.0e30f, 0xbfee72b0316c04d9ull, 0xbfd3b083f5119fb5ull},
      {3.40282347e38f, 0x3fef11d64be623f6ull, 0x3fcea3d0999614b0ull},
      {0.001f, 0x3ef24d152faaa3b1ull, 0x3fefffffffeb111dull},
      {60.0f, 0x3febb67ae8584caaull, 0x3fe0000000000001ull},
      {43.165611267089844f, 0x3fe5e43984b4df02ull, 0x3fe7571361a273daull},
      {45.23838424682617f, 0x3fe6b8ab546dd683ull, 0x3fe68877cd1243b6ull},
      {90.00000762939453f, 0x3fefffffffffffb0ull, 0xbe81df46a25cb3a5ull},
      {89.99999237060547f, 0x3fefffffffffffb0ull, 0x3e81df46a2234c3eull},
      {99999.0f, 0xbfef9b24942fe521ull, 0x3fc4060b67a84000ull},
      {2541090.5f, 0xbfe03dc117cc7dfbull, 0xbfeb9277512be037ull},
      {16777218.0f, 0x3fe5698496e0718aull, 0xbfe7c7d7a8353032ull},
      {30000002.0f, 0x3feb2335c2d047c7ull, 0xbfe0f5193ea8ac21ull},
      {30100000.0f, 0x3fe491b752353024ull, 0x3fe8836fa2d51a0dull},
      {1.401298464324817e-45f, 0x3641df46a2529d39ull, 0x3ff0000000000000ull},
      {2610.0f, 0x3ff0000000000000ull, 0xbc26d61b58c99c43ull},
      {3.5799527168273926f, 0x3faff84edbe899c3ull, 0x3feff003b2103eb4ull},
      {-34410753687552.0f, 0x3fe7c7dc6b2a4fc5ull, 0x3fe5697f4d152830ull},
      {1795.4368896484375f, 0xbfb45ddb408eba8aull, 0x3fefe608ac58eb93ull},
      {14.84326171875f, 0x3fd0652ebd1eff9dull, 0x3feeeea288869948ull},
      {8.225649209848627e+16f, 0xbfc8f1a137e5738eull, 0xbfef62f204883b9dull},
      {5.367090518422475e+27f, 0x3fca04db92cde154ull, 0x3fef54f7c3a1a964ull},
      {2.0853918784821816e+36f, 0xbfed88605726d45aull, 0xbfd8a496c7d82f13ull},
      {1567670140928.0f, 0x3fe93763870b381cull, 0xbfe3b37e28af4bfbull},
      {2077320064.0f, 0xbfb1db8f741b7c9full, 0xbfefec0b7162067aull},
      {1.6819434154130145e+18f, 0xbfd4a9add412b389ull, 0x3fee494d3f43b774ull},
      {918128099328.0f, 0x3fca9cddebb28f06ull, 0xbfef4cfbf8b0e2acull},
  };
  // The public function, both forms of its quick road (the fused one where
  // the processor has it), the accurate road forced on, and the wide road
  // behind it, which must be sure of its answer.
  std::vector<std::function<SineCosine(float)>> roads = {
      sineCosineOfDegrees, splitSineCosineOfDegrees, accurateSineCosineOfDegrees, [](float degrees) {
        const double radians = static_cast<double>(degrees) * 0.017453292519943295;
        SineCosine result{};
        EXPECT_TRUE(wideSineCosineOfMagnitude(std::fabs(radians), result)) << degrees;
        return SineCosine{std::signbit(radians) ? -result.sine : result.sine, result.cosine};
      }};
  if (processorFusesMultiplyAdd()) roads.push_back(fusedSineCosineOfDegrees);
  for (const auto& road : roads) {
    for (const auto& c : cases) {
      const SineCosine got = road(c.degrees);
      EXPECT_EQ(bitsOfDouble(got.sine), c.sine) << c.degrees;
      EXPECT_EQ(bitsOfDouble(got.cosine), c.cosine) << c.degrees;
      const SineCosine mirrored = road(-c.degrees);
      EXPECT_EQ(mirrored.sine, -got.sine) << c.degrees;
      EXPECT_EQ(mirrored.cosine, got.cosine) << c.degrees;
    }
  }
}

std::int64_t ulpsApart(double a, double b) {
  const auto ordered = [](double v) {
    const auto bits = static_cast<std::int64_t>(bitsOfDouble(v));
    return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
  };
  return std::llabs(ordered(a) - ordered(b));
}

TEST(AngleTrig, WithinOneUlpOfLongDoubleAcrossTurnsAndSigns) {
  for (float degrees = -1080.0f; degrees <= 1080.0f; degrees += 0.37f) {
    const long double radians = static_cast<double>(degrees) * 0.017453292519943295;
    const SineCosine got = sineCosineOfDegrees(degrees);
    EXPECT_LE(ulpsApart(got.sine, static_cast<double>(std::sin(radians))), 1) << degrees;
    EXPECT_LE(ulpsApart(got.cosine, static_cast<double>(std::cos(radians))), 1) << degrees;
  }
}

// The quick road answers only where it can vouch for the last bit, and
// then as the accurate road does; it leaves few angles to the slow one.
TEST(AngleTrig, QuickRoadAgreesWithTheAccurateRoadAndRarelyDeclines) {
  int declined = 0, tried = 0;
  for (double r = -0.7854; r <= 0.7854; r += 0x1p-16 * 1.0001) {
    const DoubleDouble remainder = twoSum(r, r * 0x1p-60);
    SineCosine quick{};
    ++tried;
    if (!quickSineCosineNear(remainder, quick)) {
      ++declined;
      continue;
    }
    SineCosine accurate{};
    ASSERT_TRUE(accurateSineCosineNear(remainder, accurate)) << r;
    ASSERT_EQ(bitsOfDouble(quick.sine), bitsOfDouble(accurate.sine)) << r;
    ASSERT_EQ(bitsOfDouble(quick.cosine), bitsOfDouble(accurate.cosine)) << r;
  }
  EXPECT_LT(declined * 50, tried);
}

// Float angles of every size, drawn from their bit patterns: the quick road,
// with its own reductions, answers as the accurate road does.
TEST(AngleTrig, PublicFunctionAgreesWithTheAccurateRoadAtEverySize) {
  std::uint32_t bits = 19;
  for (int i = 0; i < 100000; ++i) {
    bits = bits * 1664525u + 1013904223u;
    float degrees = 0.0f;
    std::memcpy(&degrees, &bits, sizeof degrees);
    if (!std::isfinite(degrees)) continue;
    const SineCosine got = sineCosineOfDegrees(degrees), accurate = accurateSineCosineOfDegrees(degrees);
    ASSERT_EQ(bitsOfDouble(got.sine), bitsOfDouble(accurate.sine)) << degrees;
    ASSERT_EQ(bitsOfDouble(got.cosine), bitsOfDouble(accurate.cosine)) << degrees;
  }
}

TEST(AngleTrig, ZeroKeepsItsSignAndNonFiniteAnglesGiveNotANumber) {
  EXPECT_TRUE(std::signbit(sineCosineOfDegrees(-0.0f).sine));
  EXPECT_EQ(sineCosineOfDegrees(-0.0f).cosine, 1.0);
  for (float bad : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_TRUE(std::isnan(sineCosineOfDegrees(bad).sine));
    EXPECT_TRUE(std::isnan(sineCosineOfDegrees(bad).cosine));
  }
}

}  // namespace
