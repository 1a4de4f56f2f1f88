#include "floor_script.h"

#include <benchmark/benchmark.h>

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "script_host.h"

namespace {

constexpr std::size_t kMaxSteps = 64;

struct Capture {
  null_host::Step steps[kMaxSteps];
  std::size_t count = 0;
};

template <typename Work>
std::unique_ptr<Capture> captureOf(Work work) {
  auto capture = std::make_unique<Capture>();
  null_host::startCapture(capture->steps, kMaxSteps);
  work();
  capture->count = null_host::stopCapture();
  return capture;
}

bool sameStep(const null_host::Step& a, const null_host::Step& b) {
  if (a.hash != b.hash || a.waitMs != b.waitMs || a.argumentCount != b.argumentCount) return false;
  for (std::uint32_t i = 0; i < a.argumentCount; ++i) {
    const bool isOut = static_cast<int>(i) == a.outArgument;
    if (isOut ? (a.arguments[i] == 0) != (b.arguments[i] == 0) : a.arguments[i] != b.arguments[i]) return false;
  }
  return true;
}

}  // namespace

FloorScript FloorScript::record(void (*frame)(), std::uint32_t* scratch) {
  const auto capture = captureOf(frame);
  FloorScript script;
  for (std::size_t s = 0; s < capture->count; ++s) {
    const null_host::Step& step = capture->steps[s];
    script.steps_.push_back({step.hash, step.waitMs, step.hash == 0, script.arguments_.size(), step.argumentCount});
    for (std::uint32_t i = 0; i < step.argumentCount; ++i)
      script.arguments_.push_back(static_cast<int>(i) == step.outArgument
                                      ? static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(scratch))
                                      : step.arguments[i]);
  }
  return script;
}

// Reads the first result slot of each call, as the plug-in reads an answer.
void FloorScript::replay() const {
  for (const Step& step : steps_) {
    if (step.isWait) {
      scriptWait(step.waitMs);
      continue;
    }
    nativeInit(step.hash);
    for (std::size_t i = 0; i < step.argumentCount; ++i) nativePush64(arguments_[step.firstArgument + i]);
    benchmark::DoNotOptimize(*nativeCall());
  }
}

std::string FloorScript::differenceFrom(void (*frame)()) const {
  const auto ofFrame = captureOf(frame);
  const auto ofFloor = captureOf([this] { replay(); });
  char difference[160];
  for (std::size_t s = 0; s < ofFrame->count || s < ofFloor->count; ++s) {
    if (s < ofFrame->count && s < ofFloor->count && sameStep(ofFrame->steps[s], ofFloor->steps[s])) continue;
    const std::uint64_t frameHash = s < ofFrame->count ? ofFrame->steps[s].hash : 0;
    const std::uint64_t floorHash = s < ofFloor->count ? ofFloor->steps[s].hash : 0;
    std::snprintf(difference, sizeof difference,
                  "step %zu of %zu/%zu differs: frame 0x%016" PRIX64 ", floor 0x%016" PRIX64, s,
                  ofFrame->count, ofFloor->count, frameHash, floorHash);
    return difference;
  }
  return {};
}

bool FloorScript::calls(std::uint64_t hash) const {
  for (const Step& step : steps_)
    if (!step.isWait && step.hash == hash) return true;
  return false;
}

std::size_t FloorScript::callCount() const {
  std::size_t count = 0;
  for (const Step& step : steps_) count += step.isWait ? 0 : 1;
  return count;
}
