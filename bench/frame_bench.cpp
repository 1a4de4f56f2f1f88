// One frame of the plug-in beside its floor: the same natives asked of the
// same stand-in with no plug-in logic around them.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "allocation_tally.h"
#include "config/settings_store.h"
#include "core/script_entry.h"
#include "fault_free_frames.h"
#include "floor_script.h"

namespace {

// Frames before the timing starts: the stand-in files each native the
// first time it sees it, and that is no part of a frame in play.
constexpr int kWarmUpFrames = 3;

std::uint32_t floorScratch = 0;

// A scene that does not take the road it is named for would measure
// something else under the same name.
bool busyFrameActs(const FloorScript& script) {
  return script.calls(native::kCamera) && script.calls(native::kGoreShot) && script.calls(native::kShake);
}
bool idleFrameStops(const FloorScript& script) { return script.callCount() == 6; }

void timeFrames(benchmark::State& state) {
  for (int i = 0; i < kWarmUpFrames; ++i) runFrame();
  timeCountingAllocations(state, runFrame);
}

void timeFloor(benchmark::State& state) {
  const FloorScript script = FloorScript::record(runFrame, &floorScratch);
  for (int i = 0; i < kWarmUpFrames; ++i) script.replay();
  timeCountingAllocations(state, [&script] { script.replay(); });
}

void IdleFrame(benchmark::State& state) {
  fault_free::answerIdleFrame();
  if (!idleFrameStops(FloorScript::record(runFrame, &floorScratch))) state.SkipWithError("idle scene acts");
  timeFrames(state);
}

void IdleFloor(benchmark::State& state) {
  fault_free::answerIdleFrame();
  timeFloor(state);
}

void BusyFrame(benchmark::State& state) {
  fault_free::answerBusyFrame();
  if (!busyFrameActs(FloorScript::record(runFrame, &floorScratch))) state.SkipWithError("busy scene idles");
  timeFrames(state);
}

void BusyFloor(benchmark::State& state) {
  fault_free::answerBusyFrame();
  timeFloor(state);
}

// The three questions of every frame, alone: on the idle road they are
// nearly all the plug-in adds to the host's cost.
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
