#include "session/trace_output_win.h"

#include "faults/plugin_output_win.h"
#include "session/session_win.h"
#include "host/standin_host.h"

namespace standin::win {

namespace {

TraceOutput g_traceOutput;

// What the watching runner needs for a stop line and a summary of its own.
void tellCounts() {
  SessionChannel& block = channel();
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  block.framesPlayed = static_cast<LONG64>(traceOutput().frames);
  block.calls = static_cast<LONG64>(traceOutput().calls);
}

void writeEvents(const std::vector<HostEvent>& events) {
  for (const HostEvent& event : events) {
    if (event.kind == EventKind::Call) ++traceOutput().calls;
    if (event.kind == EventKind::Stop) traceOutput().lastStop = event.detail;
    if (event.kind == EventKind::Misuse) ++traceOutput().misuses;
    if (traceOutput().expectations) traceOutput().expectations->see(event);
    traceOutput().writer->write(event);
  }
}

}  // namespace

void writeOutEvents() {
  if (traceOutput().writer) writeEvents(StandinHost::instance().takeEvents());
  traceOutput().file.flush();
  tellCounts();
}

TraceOutput& traceOutput() { return g_traceOutput; }

void flushTrace() {
  takePluginOutput(true);
  EnterCriticalSection(&traceOutput().lock);
  writeOutEvents();
  LeaveCriticalSection(&traceOutput().lock);
}

void flushAtExit() {
  if (channel().ended || !TryEnterCriticalSection(&traceOutput().lock)) return;
  writeOutEvents();
  LeaveCriticalSection(&traceOutput().lock);
}

}  // namespace standin::win
