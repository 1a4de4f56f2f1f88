#include "floor_script.h"

#include <benchmark/benchmark.h>

#include "host/host_interface.h"
#include "standin_host.h"

using standin::EventKind;
using standin::HostEvent;
using standin::StandinHost;

FloorScript FloorScript::record(void (*frame)(), std::uint32_t* scratch) {
  StandinHost& host = StandinHost::instance();
  host.setRecording(true);
  host.takeEvents();
  frame();
  const std::vector<HostEvent> events = host.takeEvents();
  host.setRecording(false);

  FloorScript script;
  for (const HostEvent& event : events) {
    if (event.kind == EventKind::Wait) {
      script.steps_.push_back({0, event.waitMs, true, 0, 0});
    } else if (event.kind == EventKind::Call) {
      script.steps_.push_back({event.hash, 0, false, script.arguments_.size(), event.args.size()});
      for (unsigned i = 0; i < event.args.size(); ++i)
        script.arguments_.push_back(event.outArgs.count(i) ? slotOfScratch(scratch) : event.args[i]);
    }
  }
  return script;
}

std::uint64_t FloorScript::slotOfScratch(std::uint32_t* scratch) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(scratch));
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
