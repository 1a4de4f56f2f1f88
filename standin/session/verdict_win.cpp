#include "session/session_win.h"

#include "faults/crash_report_win.h"
#include "faults/fault_copy_win.h"
#include "faults/plugin_output_win.h"
#include "host/standin_host.h"
#include "session/trace_output_win.h"

namespace standin::win {

// Straight to the handle, unbuffered and without text-mode CR LF, so that
// the two outputs interleave in the order written; no C runtime lock is
// taken, which a crashed thread may hold.
void writeLine(DWORD stream, const std::string& message) {
  const std::string line = "standin: " + message + "\n";
  DWORD written = 0;
  WriteFile(runnerOutput(stream), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string summaryLine(std::uint64_t frames, std::uint64_t calls, const std::string& tracePath) {
  return std::to_string(frames) + " frames played, " + std::to_string(calls) + " native calls; trace in " + tracePath;
}

void report(const std::string& message) { writeLine(STD_ERROR_HANDLE, message); }

void abandon(const std::string& message, ExitCode code) {
  SessionChannel& block = channel();
  if (InterlockedCompareExchange(&block.verdictClaimed, 1, 0) != 0) {
    for (;;) Sleep(INFINITE);  // another thread's verdict came first
  }
  takePluginOutput(true);
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  copyText(block.message, message.c_str());
  // The message is whole before the code says there is one.
  InterlockedExchange(&block.verdict, code);
  // The runner may hold the trace; then what it has written must do.
  for (int tries = 0; tries < 50; ++tries) {
    if (TryEnterCriticalSection(&traceOutput().lock)) {
      if (traceOutput().loading)
        traceOutput().writer = std::make_unique<TraceWriter>(traceOutput().file, StandinHost::instance().registeredModule());
      writeOutEvents();
      break;
    }
    Sleep(10);
  }
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  TerminateProcess(GetCurrentProcess(), code);
  for (;;) Sleep(INFINITE);
}

void endStrictSession(const RuleBreach& breach) {
  abandon("the plug-in broke a host rule (strict) in frame " + std::to_string(StandinHost::instance().frame()) + ": " +
              ruleId(breach.rule) + ": " + ruleMessage(breach, true),
          kExitMisbehaved);
}

}  // namespace standin::win
