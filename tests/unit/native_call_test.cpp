#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "host/native_call.h"
#include "host_test_support.h"

namespace {

struct IntSlotCase {
  std::int32_t value;
  std::uint64_t slot;
};

TEST(NativeSlots, IntegersFillOnlyTheLowHalfWhateverTheSign) {
  const IntSlotCase cases[] = {
      {0, 0},
      {1, 1},
      {-1, 0x00000000FFFFFFFFull},
      {-2, 0x00000000FFFFFFFEull},
      {std::numeric_limits<std::int32_t>::min(), 0x0000000080000000ull},
      {std::numeric_limits<std::int32_t>::max(), 0x000000007FFFFFFFull},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(slot::ofInt(c.value), c.slot) << c.value;
    EXPECT_EQ(slot::toInt(c.slot), c.value) << c.value;
  }
  EXPECT_EQ(slot::ofHash(0xA2719263u), 0x00000000A2719263ull);
  EXPECT_EQ(slot::ofBool(true), 1u);
  EXPECT_EQ(slot::ofBool(false), 0u);
}

TEST(NativeSlots, FloatsTravelAsTheirBitPattern) {
  const struct {
    float value;
    std::uint64_t slot;
  } cases[] = {
      {1.0f, 0x3F800000}, {-1.0f, 0xBF800000}, {0.05f, 0x3D4CCCCD},
      {0.08f, 0x3DA3D70A}, {0.15f, 0x3E19999A}, {-0.0f, 0x80000000}, {0.0f, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(slot::ofFloat(c.value), c.slot) << c.value;
  EXPECT_TRUE(std::isnan(slot::floatOfBits(0x7FC00000)));
}

TEST(NativeSlots, ResultsReadOnlyTheLow32BitsForTruthAndHandles) {
  EXPECT_FALSE(slot::toTruth(0xFFFFFFFF00000000ull));
  EXPECT_TRUE(slot::toTruth(0x0000000000000100ull));
  EXPECT_EQ(slot::toInt(0xDEADBEEFFFFFFFFEull), -2);
  EXPECT_EQ(slot::toHash(0x12345678A2719263ull), 0xA2719263u);
}

TEST(NativeSlots, VectorComponentsComeFromTheLowHalfOfThreeSlots) {
  const std::uint64_t slots[3] = {0xFFFFFFFF3F800000ull, 0x12345678C0000000ull,
                                  0xABCDEF0040400000ull};
  const HostVector3 v = slot::toVector(slots);
  EXPECT_EQ(v.x, 1.0f);
  EXPECT_EQ(v.y, -2.0f);
  EXPECT_EQ(v.z, 3.0f);
}

class NativeCallTest : public HostTest {};

TEST_F(NativeCallTest, PushesEverySlotKindInOrderAndReadsTheAnswer) {
  host().answers().setDefault(0x1234, standin::Answer::ofWhole(0xFFFFFFFF80000001ull));
  std::int32_t out = 0;
  const char* text = "LITERAL_STRING";
  NativeResult result = NativeCall(0x1234)
                            .pushInt(-5)
                            .pushHandle(-1)
                            .pushHash(0xEF32A25D)
                            .pushBool(true)
                            .pushFloat(-1.0f)
                            .pushText(text)
                            .pushOutVariable(&out)
                            .pushZero()
                            .pushWhole(0x8000000000000001ull)
                            .perform();
  EXPECT_EQ(result.asWhole(), 0xFFFFFFFF80000001ull);
  EXPECT_EQ(result.asInt(), static_cast<std::int32_t>(0x80000001u));
  EXPECT_TRUE(result.asTruth());

  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].hash, 0x1234u);
  const std::vector<std::uint64_t> expected = {
      0xFFFFFFFB, 0xFFFFFFFF, 0xEF32A25D, 1, 0xBF800000,
      slot::ofAddress(text), slot::ofAddress(&out), 0, 0x8000000000000001ull};
  EXPECT_EQ(calls[0].args, expected);
}

TEST_F(NativeCallTest, VectorAnswersAndOutVariablesReachTheCaller) {
  host().answers().setDefault(0x77, standin::Answer::ofVector(1.5f, -2.25f, 1e-3f).alsoOut(1, 0xD750));
  std::int32_t bone = 0;
  const HostVector3 v = NativeCall(0x77).pushInt(0).pushOutVariable(&bone).perform().asVector();
  EXPECT_EQ(v.x, 1.5f);
  EXPECT_EQ(v.y, -2.25f);
  EXPECT_EQ(v.z, 1e-3f);
  EXPECT_EQ(bone, 0xD750);
}

}  // namespace
