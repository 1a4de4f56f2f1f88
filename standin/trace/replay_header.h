#pragma once

#include <iosfwd>

#include "trace/scenario_from_trace.h"
#include "trace/trace.h"

namespace standin {

// The lines of a replay that come from its trace's header: names files (loaded,
// so that the lines after them may name natives), allowed rules and the
// working folder, each path relative to the replay's folder when `paths` tell it.
void writeReplayHeader(std::ostream& out, const TraceHeader& header, const ReplayPaths& paths);

// The session's own expectations that the header carried: files in the working
// folder and what reloads leave behind, which the calls alone do not show.
void writeReplayExpectations(std::ostream& out, const TraceHeader& header);

}  // namespace standin
