// Traces into the reader and the converter to scenarios: a trace reads or is
// refused with one readable line; a scenario written from one always reads
// back (the converter says so), and the trace written again from the events
// read reads back to the same events.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "base/native_names.h"
#include "scenario/scenario.h"
#include "trace/scenario_from_trace.h"
#include "trace/trace.h"

namespace {

std::string written(const std::vector<standin::HostEvent>& events) {
  std::ostringstream out;
  standin::TraceWriter writer(out, nullptr);
  for (const standin::HostEvent& event : events)
    if (event.kind != standin::EventKind::ScriptRegister && event.kind != standin::EventKind::ScriptUnregister &&
        event.kind != standin::EventKind::KeyboardUnregister)
      writer.write(event);
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  standin::forgetNativeNames();
  std::istringstream in(text);
  std::vector<standin::HostEvent> events;
  standin::TraceHeader header;
  try {
    events = standin::readTrace(in, true, &header);
  } catch (const std::runtime_error& error) {
    check(oneReadableLine(error.what()), std::string("a refusal is one readable line: ") + error.what());
    return 0;
  }
  // Files the header names are not this target's to read: a names file may
  // be any file of the machine.
  header.namesFiles.clear();
  header.folder.clear();
  // Written again, the events read back the same.
  const std::string again = written(events);
  std::istringstream reread(again);
  check(written(standin::readTrace(reread)) == again, "a trace written from read events reads back the same");
  for (const bool countOnly : {false, true}) {
    std::string scenario;
    try {
      scenario = standin::scenarioFromTrace(events, header, countOnly);
    } catch (const std::runtime_error& error) {
      check(oneReadableLine(error.what()), std::string("a refusal is one readable line: ") + error.what());
      continue;
    }
    std::istringstream lines(scenario);
    try {
      standin::parseScenario(lines, "replay.scn");
    } catch (const std::runtime_error& error) {
      check(false, std::string("a replay reads back: ") + error.what());
    }
  }
  standin::forgetNativeNames();
  return 0;
}
