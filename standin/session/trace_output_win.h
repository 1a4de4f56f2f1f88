// The session's trace file and what has passed through it: written by the
// runner, and by the watchdog and the crash filter when the session ends early.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "checks/expectations.h"
#include "trace/trace.h"

namespace standin::win {

// The trace file and what has passed through it; shared with the watchdog
// and the crash filter, which write out the rest when the session ends early.
struct TraceOutput {
  CRITICAL_SECTION lock;
  std::ofstream file;
  std::unique_ptr<TraceWriter> writer;
  std::uint64_t calls = 0;
  std::uint64_t misuses = 0;
  std::unique_ptr<ExpectationCheck> expectations;
  std::uint64_t frames = 0;  // game frames played to their end
  std::string lastStop;
  // While the plug-in's DllMain runs, the writer does not know its module yet.
  volatile bool loading = false;
};

TraceOutput& traceOutput();

// With the trace's lock held: what the host recorded goes to the file.
void writeOutEvents();

// Writes out what the host has recorded so far.
void flushTrace();

// When the plug-in ends the process, what it did last is written out.
void flushAtExit();

}  // namespace standin::win
