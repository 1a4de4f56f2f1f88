#pragma once

#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "trace/trace.h"

namespace standin {

// A scenario that plays a recorded session again: every native answered as the
// trace shows it was, the same keys, reloads, frame rate, caps, names files and
// allowed rules (from the trace's header), natives by name, and as
// expectations every call of each frame in order with its arguments, or with
// `countOnly` the number of calls each native got in each stretch of frames.
// Played with the same plug-in in a working folder as it was, it gives the
// same trace. Throws TraceError for a session no scenario can bring about.
// With `paths`, the header's working folder (relative to the trace's folder)
// and names files are written relative to the scenario's folder, so the
// replay moves with them; without, as the header has them.
struct ReplayPaths {
  std::string trace;     // the trace file, absolute
  std::string scenario;  // the scenario to be written, absolute
};
std::string scenarioFromTrace(const std::vector<HostEvent>& events, const TraceHeader& header = {},
                              bool countOnly = false, const ReplayPaths& paths = {});

// The header a session of `scenario` writes at the head of its trace, which
// scenarioFromTrace reads back; given the working folder and the trace file
// (absolute), it holds the folder relative to the trace's.
TraceHeader traceHeaderOf(const Scenario& scenario, const std::string& workingFolder = "",
                          const std::string& tracePath = "");

// The first line in which two traces differ, as "line N: A | B", or empty when
// they are the same; `anyPluginName` lets the file names of 'load' lines differ.
std::string traceDifference(const std::string& a, const std::string& b, bool anyPluginName);

}  // namespace standin
