// One frame of the plug-in beside its floor: the same natives asked of the
// same null host with no plug-in logic around them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "allocation_tally.h"
#include "config/settings_store.h"
#include "core/script_entry.h"
#include "fault_free_frames.h"
#include "floor_script.h"
#include "null_host.h"

namespace {

// Frames before the timing starts, so caches and branch history are warm
// for frame and floor alike.
constexpr int kWarmUpFrames = 3;

constexpr std::uint64_t kAnsweredNatives[] = {
    native::kPlayerCharacter, native::kAimGate,      native::kWeapon,       native::kAimCharacter,
    native::kControlSet,      native::kTarget,       native::kTargetTest1,  native::kTargetTest2,
    native::kTargetTest3,     native::kBone,         native::kBonePosition, native::kEntityVector,
    native::kEntityRotation,  native::kShakeWeapon,  native::kFiring,       native::kEntityState,
    native::kAimWeapon,       native::kShakeBlocked, native::kStrongShake,  native::kTextHash,
    native::kZoomControl,     native::kRevealControl};

constexpr null_host::OutVariable kOutVariables[] = {{native::kWeapon, 1}, {native::kBone, 1}};

std::uint32_t floorScratch = 0;

// The stand-in's scene, moved into the null host's table.
void answerScene(void (*scene)()) {
  scene();
  null_host::answerAsBook(standin::StandinHost::instance().answers(), kAnsweredNatives,
                          sizeof kAnsweredNatives / sizeof kAnsweredNatives[0], kOutVariables,
                          sizeof kOutVariables / sizeof kOutVariables[0]);
}

// A scene that does not take the road it is named for would measure
// something else under the same name; a floor that asks other questions
// than the frame would be no floor.
bool sceneFails(benchmark::State& state, const FloorScript& script, bool busy) {
  const bool acts = script.calls(native::kCamera) && script.calls(native::kGoreShot) && script.calls(native::kShake);
  if (busy != acts || (!busy && script.callCount() != 6)) {
    state.SkipWithError(busy ? "busy scene idles" : "idle scene acts");
    return true;
  }
  const std::string difference = script.differenceFrom(runFrame);
  if (!difference.empty()) {
    state.SkipWithError(difference.c_str());
    return true;
  }
  return false;
}

void timeFrames(benchmark::State& state, void (*scene)(), bool busy) {
  answerScene(scene);
  if (sceneFails(state, FloorScript::record(runFrame, &floorScratch), busy)) return;
  for (int i = 0; i < kWarmUpFrames; ++i) runFrame();
  timeCountingAllocations(state, runFrame);
}

void timeFloor(benchmark::State& state, void (*scene)(), bool busy) {
  answerScene(scene);
  const FloorScript script = FloorScript::record(runFrame, &floorScratch);
  if (sceneFails(state, script, busy)) return;
  for (int i = 0; i < kWarmUpFrames; ++i) script.replay();
  timeCountingAllocations(state, [&script] { script.replay(); });
}

void IdleFrame(benchmark::State& state) { timeFrames(state, fault_free::answerIdleFrame, false); }
void IdleFloor(benchmark::State& state) { timeFloor(state, fault_free::answerIdleFrame, false); }
void BusyFrame(benchmark::State& state) { timeFrames(state, fault_free::answerBusyFrame, true); }
void BusyFloor(benchmark::State& state) { timeFloor(state, fault_free::answerBusyFrame, true); }

// The three questions of every frame, alone.
void SwitchLookups(benchmark::State& state) {
  publishSettingsStore(makeDefaultSettings());
  timeCountingAllocations(state, [] {
    benchmark::DoNotOptimize(isSettingOn(kAlternativeCameraSwitch));
    benchmark::DoNotOptimize(isSettingOn(kMeleeWeaponsGoreSwitch));
    benchmark::DoNotOptimize(isSettingOn(kCameraShakeOnShotSwitch));
  });
}

}  // namespace

BENCHMARK(IdleFrame);
BENCHMARK(IdleFloor);
BENCHMARK(BusyFrame);
BENCHMARK(BusyFloor);
BENCHMARK(SwitchLookups);
