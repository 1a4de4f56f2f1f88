// A long session through the recording stand-in: the game answers at random
// (from a fixed seed), the switches change between good and bad texts, and
// all three features and the fault trap act at times. Nothing may crash, and
// the process's memory may not grow with the frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "config/settings_store.h"
#include "config_test_support.h"
#include "core/script_entry.h"
#include "feature_natives.h"
#include "host_test_support.h"
#include "soak_support.h"

// Sanitizer builds hold freed memory back and run ten times slower: they
// play fewer frames and leave the memory figure alone.
#ifndef VANTOMERE_SOAK_DEFAULT_FRAMES
#define VANTOMERE_SOAK_DEFAULT_FRAMES 1000000
#endif
#ifndef VANTOMERE_SOAK_CHECKS_MEMORY
#define VANTOMERE_SOAK_CHECKS_MEMORY 1
#endif

namespace {

using standin::Answer;

constexpr std::uint64_t kShowNotice = 0xDFF0D417277B41F8;
constexpr std::uint64_t kMemoryBaselineFrame = 1000;
constexpr std::int64_t kOneMiB = 1024 * 1024;
constexpr std::uint64_t kRecordOneFrameIn = 64;
constexpr std::uint64_t kNewSwitchesEvery = 500;
constexpr std::uint32_t kSeed = 20240611;

constexpr std::uint32_t kWeapons[] = {0xA2719263, 0x28950C71, 0xEF32A25D, 0x1B06D571};
constexpr std::int32_t kBones[] = {14283, 21030, 53675, 54187, 55120, 0, 31086};
const char* const kGoodSwitches[] = {"1", "0", "-1", "2", " 7", "+1", "1abc", "", "\t-0"};
const char* const kBadSwitches[] = {"yes", "99999999999", "-", " "};

// The game, answering every native the frame asks at random.
class RandomGame {
 public:
  explicit RandomGame(std::uint32_t seed) : rng_(seed) {}

  void answerNextFrame(standin::AnswerBook& book) {
    book.setDefault(native::kPlayerCharacter, Answer::ofInt(chance(0.9) ? 1001 : 0));
    book.setDefault(native::kAimGate, truth(0.8));
    book.setDefault(native::kWeapon, {weapon(), weapon(), weapon()});
    book.setDefault(native::kAimWeapon, truth(0.2));
    book.setDefault(native::kAimCharacter, truth(0.8));
    book.setDefault(native::kControlSet, {truth(0.5), truth(0.5)});
    book.setDefault(native::kZoomControl, truth(0.1));
    book.setDefault(native::kRevealControl, truth(0.1));
    book.setDefault(native::kTarget, Answer::ofInt(chance(0.6) ? 2002 : 0));
    book.setDefault(native::kTargetTest1, truth(0.8));
    book.setDefault(native::kTargetTest2, truth(0.8));
    book.setDefault(native::kTargetTest3, truth(0.5));
    book.setDefault(native::kEntityState, truth(0.5));
    book.setDefault(native::kBone, Answer::ofOut(1, static_cast<std::uint32_t>(pick(kBones))));
    book.setDefault(native::kBonePosition, vector());
    book.setDefault(native::kEntityVector, vector());
    book.setDefault(native::kEntityRotation, vector());
    book.setDefault(native::kShakeWeapon, truth(0.6));
    book.setDefault(native::kFiring, truth(0.5));
    book.setDefault(native::kShakeBlocked, truth(0.3));
    book.setDefault(native::kStrongShake, truth(0.5));
  }

  // Mostly good texts; now and then one that makes the trap fire.
  SettingsMap nextSwitches() {
    SettingsMap store;
    for (const char* name : {kAlternativeCameraSwitch, kMeleeWeaponsGoreSwitch, kCameraShakeOnShotSwitch})
      store[name] = chance(0.8) ? pick(kGoodSwitches) : pick(kBadSwitches);
    return store;
  }

  std::uint32_t key() { return rng_() % 300; }

 private:
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  template <typename T, std::size_t N>
  T pick(const T (&items)[N]) {
    return items[rng_() % N];
  }
  Answer truth(double p) { return Answer::ofInt(chance(p) ? 1 : 0); }
  Answer weapon() { return Answer::ofOut(1, pick(kWeapons)); }
  // Now and then a value no real game gives: the features must pass it on.
  float coordinate() {
    if (chance(0.01)) return std::numeric_limits<float>::quiet_NaN();
    if (chance(0.01)) return std::numeric_limits<float>::infinity();
    return std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(rng_);
  }
  Answer vector() { return Answer::ofVector(coordinate(), coordinate(), coordinate()); }

  std::mt19937 rng_;
};

// Which natives of note a recorded frame made.
struct Acted {
  std::uint64_t camera = 0, goreShots = 0, shakes = 0, notices = 0;

  void count(const std::vector<standin::HostEvent>& events) {
    for (const auto& e : events) {
      if (e.kind != standin::EventKind::Call) continue;
      camera += e.hash == native::kCamera;
      goreShots += e.hash == native::kGoreShot;
      shakes += e.hash == native::kShake;
      notices += e.hash == kShowNotice;
    }
  }
};

class FrameSoak : public HostTest {
 protected:
  ScopedWorkingFolder folder_;
  CountingLogSink log_;
};

TEST_F(FrameSoak, RandomGameAndSwitchesForManyFramesWithoutGrowing) {
  const std::uint64_t frames = countFromEnvironment("VANTOMERE_SOAK_FRAMES", VANTOMERE_SOAK_DEFAULT_FRAMES);
  RandomGame game(kSeed);
  Acted acted;
  startUp();
  host().setRecording(false);
  std::uint64_t baseline = 0;
  for (std::uint64_t frame = 1; frame <= frames; ++frame) {
    if (frame % kNewSwitchesEvery == 1) publishSettingsStore(game.nextSwitches());
    game.answerNextFrame(host().answers());
    host().deliverKey(game.key(), 1, 0, 0, 0, 0, 0);
    const bool recorded = frame % kRecordOneFrameIn == 0;
    host().setRecording(recorded);
    runFrame();
    if (recorded) acted.count(host().takeEvents());
    if (frame == kMemoryBaselineFrame) baseline = residentBytes();
  }
  host().setRecording(true);
  const std::uint64_t end = residentBytes();

  EXPECT_EQ(host().frame(), frames + 1) << "every frame ended with its wait";
  EXPECT_GT(acted.camera, 0u);
  EXPECT_GT(acted.goreShots, 0u);
  EXPECT_GT(acted.shakes, 0u);
  EXPECT_GT(acted.notices, 0u);
  std::printf("soak: %llu frames; recorded 1 in %llu: %llu cameras, %llu gore shots, %llu shakes, %llu notices; "
              "%llu log lines\n",
              static_cast<unsigned long long>(frames), static_cast<unsigned long long>(kRecordOneFrameIn),
              static_cast<unsigned long long>(acted.camera), static_cast<unsigned long long>(acted.goreShots),
              static_cast<unsigned long long>(acted.shakes), static_cast<unsigned long long>(acted.notices),
              static_cast<unsigned long long>(log_.lines));
  if (frames < kMemoryBaselineFrame) return;
  const std::int64_t growth = static_cast<std::int64_t>(end) - static_cast<std::int64_t>(baseline);
  std::printf("soak: resident memory %llu bytes after frame %llu, %llu bytes after frame %llu: %+lld bytes\n",
              static_cast<unsigned long long>(baseline), static_cast<unsigned long long>(kMemoryBaselineFrame),
              static_cast<unsigned long long>(end), static_cast<unsigned long long>(frames),
              static_cast<long long>(growth));
  RecordProperty("resident_after_baseline", std::to_string(baseline));
  RecordProperty("resident_at_end", std::to_string(end));
  if (VANTOMERE_SOAK_CHECKS_MEMORY) {
    EXPECT_LT(std::llabs(growth), kOneMiB);
  }
}

}  // namespace
