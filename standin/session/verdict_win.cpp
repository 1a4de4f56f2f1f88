#include "session/session_win.h"

#include "host/standin_host.h"
#include "session/trace_output_win.h"

namespace standin::win {

// The runner may hold the trace when a verdict ends the process; then what it
// has written must do.
void saveTraceSoFar() {
  for (int tries = 0; tries < 50; ++tries) {
    if (TryEnterCriticalSection(&traceOutput().lock)) {
      if (traceOutput().loading)
        traceOutput().writer = std::make_unique<TraceWriter>(traceOutput().file, StandinHost::instance().registeredModule());
      writeOutEvents();
      return;
    }
    Sleep(10);
  }
}

std::string summaryLine(std::uint64_t frames, std::uint64_t calls, const std::string& tracePath) {
  return std::to_string(frames) + " frames played, " + std::to_string(calls) + " native calls; trace in " + tracePath;
}

void endStrictSession(const RuleBreach& breach) {
  abandon("the plug-in broke a host rule (strict) in frame " + std::to_string(StandinHost::instance().frame()) + ": " +
              ruleId(breach.rule) + ": " + ruleMessage(breach, true),
          kExitMisbehaved);
}

}  // namespace standin::win
