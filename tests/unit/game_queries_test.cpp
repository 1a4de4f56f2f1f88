#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "features/game_queries.h"
#include "features/offset_direction.h"
#include "features_test_support.h"
#include "host/native_call.h"

namespace {

using standin::Answer;

class GameQueriesTest : public FeatureTest {};

struct TruthQueryCase {
  const char* name;
  std::uint64_t hash;
  std::function<bool()> ask;
  std::vector<std::uint64_t> args;
};

// Each truth query is one call with its arguments in order, and reads only
// the low 32 bits of the first slot.
TEST_F(GameQueriesTest, TruthQueriesPushTheirArgumentsAndReadLow32Bits) {
  const TruthQueryCase cases[] = {
      {"entityStateTest", native::kEntityState, [] { return entityStateTest(-5, 11, 0); },
       {0xFFFFFFFBu, 11, 0}},
      {"revealControlTest", native::kRevealControl, [] { return revealControlTest(0, 0xA2719263u); },
       {0, 0xA2719263u}},
      {"zoomControlTest", native::kZoomControl, [] { return zoomControlTest(-1, 0x80000001u); },
       {0xFFFFFFFFu, 0x80000001u}},
      {"controlSetTest", native::kControlSet, [] { return controlSetTest(0); }, {0}},
  };
  const struct {
    std::uint64_t slot;
    bool truth;
  } answers[] = {{0, false}, {1, true}, {0x80000000u, true}, {0xFFFFFFFF00000000ull, false}};
  for (const auto& c : cases) {
    for (const auto& a : answers) {
      host().reset();
      answer(c.hash, {Answer::ofWhole(a.slot)});
      EXPECT_EQ(c.ask(), a.truth) << c.name << " " << std::hex << a.slot;
      const auto calls = host().calls();
      ASSERT_EQ(calls.size(), 1u) << c.name;
      EXPECT_EQ(calls[0].hash, c.hash) << c.name;
      EXPECT_EQ(calls[0].args, c.args) << c.name;
    }
  }
}

TEST_F(GameQueriesTest, HashOfTextPassesTheTextAndAsksAgainEveryTime) {
  answer(native::kTextHash, {Answer::ofWhole(0x12345678DEADBEEFull), Answer::ofWhole(7)});
  const char text[] = "INPUT_REVEAL_HUD";
  EXPECT_EQ(hashOfText(text), 0xDEADBEEFu);
  EXPECT_EQ(hashOfText(text), 7u);
  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 2u);
  for (const auto& call : calls) {
    EXPECT_EQ(call.hash, native::kTextHash);
    ASSERT_EQ(call.args.size(), 1u);
    EXPECT_EQ(call.args[0], slot::ofAddress(text));
    EXPECT_EQ(call.texts.at(0), "INPUT_REVEAL_HUD");
  }
}

TEST_F(GameQueriesTest, WeaponComesFromTheOutVariableNotTheResultSlot) {
  answer(native::kWeapon, {Answer::ofWhole(0x55).alsoOut(1, 0x28950C71u), weaponAnswer(0xEF32A25Du)});
  EXPECT_EQ(currentWeaponHash(kPlayer), 0x28950C71u);
  EXPECT_EQ(currentWeaponHash(kPlayer), 0xEF32A25Du);
  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 2u);
  for (const auto& call : calls) {
    EXPECT_EQ(call.hash, native::kWeapon);
    ASSERT_EQ(call.args.size(), 5u);
    EXPECT_EQ(call.args[0], kPlayerSlot);
    EXPECT_NE(call.args[1], 0u) << "the address of the wrapper's variable";
    EXPECT_EQ(call.args[2], 0u);
    EXPECT_EQ(call.args[3], 0u);
    EXPECT_EQ(call.args[4], 0u);
  }
}

TEST_F(GameQueriesTest, WeaponIsZeroWhenTheGameWritesNothing) {
  fillStackWith(0xA5A5A5A5u);
  EXPECT_EQ(currentWeaponHash(kPlayer), 0u);
  EXPECT_EQ(host().calls().size(), 1u);
}

TEST_F(GameQueriesTest, ThreeFloatsGoIntoTheCallTheCallerBegan) {
  NativeCall call(0x1122334455667788ull);
  call.pushInt(7);
  pushThreeFloats(call, 1.5f, -0.0f, 3.0f);
  EXPECT_TRUE(host().calls().empty());
  call.pushInt(8).perform();
  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args,
            (std::vector<std::uint64_t>{7, 0x3FC00000u, 0x80000000u, 0x40400000u, 8}));
}

struct OffsetCase {
  float rotation[3];
  float vector[3];
};

HostVector3 offsetDirectionFor(const OffsetCase& c) {
  auto& answers = standin::StandinHost::instance().answers();
  answers.setDefault(native::kEntityVector, Answer::ofVector(c.vector[0], c.vector[1], c.vector[2]));
  answers.setDefault(native::kEntityRotation,
                     Answer::ofVector(c.rotation[0], c.rotation[1], c.rotation[2]));
  return entityOffsetDirection(-321);
}

void expectSameBits(const HostVector3& got, const HostVector3& expected, const std::string& label) {
  EXPECT_EQ(bitsOf(got.x), bitsOf(expected.x)) << label << " x " << got.x << " vs " << expected.x;
  EXPECT_EQ(bitsOf(got.y), bitsOf(expected.y)) << label << " y " << got.y << " vs " << expected.y;
  EXPECT_EQ(bitsOf(got.z), bitsOf(expected.z)) << label << " z " << got.z << " vs " << expected.z;
}

TEST_F(GameQueriesTest, OffsetDirectionAsksVectorThenRotationOfTheEntity) {
  answer(native::kEntityVector, {Answer::ofVector(1.0f, 2.0f, 3.0f)});
  answer(native::kEntityRotation, {Answer::ofVector(0.0f, 0.0f, 0.0f)});
  entityOffsetDirection(-321);
  const auto calls = host().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].hash, native::kEntityVector);
  EXPECT_EQ(calls[0].args, (std::vector<std::uint64_t>{0xFFFFFEBFu}));
  EXPECT_EQ(calls[1].hash, native::kEntityRotation);
  EXPECT_EQ(calls[1].args, (std::vector<std::uint64_t>{0xFFFFFEBFu, 2}));
}

TEST_F(GameQueriesTest, OffsetDirectionIsBitExactToTheRecipe) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const OffsetCase cases[] = {
      {{nan, 0.0f, 0.0f}, {1.5f, -2.25f, 3.125f}},
      {{12.0f, 0.0f, 90.0f}, {1.5f, -2.25f, 3.125f}},
      {{0.0f, 90.0f, 37.0f}, {1.5f, -2.25f, 3.125f}},
      {{0.0f, 90.0f, 0.0f}, {0.0f, 5.0f, 0.0f}},
      {{0.0f, -90.0f, 45.0f}, {-7.5f, 0.125f, 2.0f}},
      {{0.0f, 12.5f, -123.456f}, {0.3f, -7.1f, 2.2f}},
      {{5.0f, -45.0f, 270.0f}, {100.5f, 0.001f, -3.0f}},
      {{0.0f, 359.9f, 0.001f}, {-1.0e4f, 2.5e3f, 17.0f}},
      {{-3.0f, -89.99f, 179.5f}, {1234.5f, -987.25f, 0.0625f}},
      {{0.0f, 33.3f, 721.0f}, {0.7f, 0.7f, -0.7f}},
  };
  for (const auto& c : cases) {
    const std::string label = std::to_string(c.rotation[1]) + "/" + std::to_string(c.rotation[2]);
    expectSameBits(offsetDirectionFor(c), expectedOffsetDirection(c.rotation[1], c.rotation[2], c.vector), label);
    host().reset();
  }
}

TEST_F(GameQueriesTest, OffsetDirectionOfTheThreeAxisCases) {
  const float ax = 1.5f, ay = -2.25f, az = 3.125f;
  const HostVector3 level = offsetDirectionFor({{99.0f, 0.0f, 0.0f}, {ax, ay, az}});
  EXPECT_EQ(level.x, 0.0f);
  EXPECT_EQ(level.y, -az);
  EXPECT_EQ(level.z, ay);
  host().reset();
  const HostVector3 quarterTurn = offsetDirectionFor({{0.0f, 0.0f, 90.0f}, {ax, ay, az}});
  EXPECT_NEAR(quarterTurn.x, az, 1e-6);
  EXPECT_NEAR(quarterTurn.y, 0.0f, 1e-6);
  EXPECT_NEAR(quarterTurn.z, -ax, 1e-6);
  for (float heading : {0.0f, 37.0f, -170.0f}) {
    host().reset();
    const HostVector3 upright = offsetDirectionFor({{0.0f, 90.0f, heading}, {ax, ay, az}});
    EXPECT_NEAR(upright.x, ay, 1e-6) << heading;
    EXPECT_NEAR(upright.y, -ax, 1e-6) << heading;
    EXPECT_NEAR(upright.z, 0.0f, 1e-6) << heading;
  }
}

}  // namespace
