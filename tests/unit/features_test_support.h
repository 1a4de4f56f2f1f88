#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "features/player_character.h"
#include "feature_natives.h"
#include "features/alternative_camera.h"
#include "host/native_slots.h"
#include "host_test_support.h"
#include "offset_direction_reference.h"

inline std::uint64_t bitsOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
inline standin::Answer truth(bool value) { return standin::Answer::ofInt(value ? 1 : 0); }
inline standin::Answer weaponAnswer(std::uint32_t weapon) { return standin::Answer::ofOut(1, weapon); }

// Fills the stack below the caller with `pattern`, so that a variable left
// without a starting value would likely read as it.
[[gnu::noinline]] inline void fillStackWith(std::uint32_t pattern) {
  volatile std::uint32_t junk[1024];
  for (auto& word : junk) word = pattern;
}

// The player is a negative handle, so a sign-extended push would show.
constexpr GameHandle kPlayer = -4660;
constexpr std::uint64_t kPlayerSlot = 0xFFFFEDCCu;

class FeatureTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    playerCharacter = kPlayer;
    alternativeCameraOn = true;
  }
  void TearDown() override {
    alternativeCameraOn = true;
    playerCharacter = 0;
  }

  // Answers for the calls of `hash` in every frame; the last one repeats.
  static void answer(std::uint64_t hash, std::vector<standin::Answer> perCall) {
    host().answers().setDefault(hash, std::move(perCall));
  }
  static std::vector<standin::HostEvent> callsOf(std::uint64_t hash) {
    std::vector<standin::HostEvent> found;
    for (const auto& call : host().calls())
      if (call.hash == hash) found.push_back(call);
    return found;
  }
  static void nextFrame() { host().scriptWait(0); }
};
