#include "session/session_parent_win.h"

#include <windows.h>

#include <sstream>
#include <string>

#include "session/child_process_win.h"
#include "faults/crash_report_win.h"
#include "session/pdb_symbols_win.h"
#include "base/quoted_text.h"
#include "channel/session_channel_win.h"
#include "judge/session_facts_win.h"
#include "session/session_win.h"
#include "trace/trace.h"

namespace standin::win {

namespace {

// The describer tells a fault within this long of it, or the runner does.
constexpr ULONGLONG kTellMs = 500;
// A C++ exception that nothing caught is the verdict once the plug-in's
// terminate handler had this long, from the throw, to do what it does.
constexpr ULONGLONG kTerminateHandlerMs = 1000;

bool startSession(HANDLE mapping, HANDLE job, PROCESS_INFORMATION& process) {
  const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(mapping));
  SetEnvironmentVariableA(kChannelVariable, handle.c_str());
  char exe[4 * MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  STARTUPINFOA startup{};
  const bool started = startChild(exe, GetCommandLineA(), startup, 0, job, process);
  SetEnvironmentVariableA(kChannelVariable, nullptr);
  return started;
}

// Waits for the session's process; ends it when it outlives its verdict,
// when its final fault is not told in time (a C++ exception's after the
// plug-in's terminate handler had its second), when it stops calling the
// host for longer than its own watchdog would allow, or when it does not
// end within the stall cap of the session's end.
Watched watch(HANDLE process, const SessionChannel& block) {
  LONG lastBeat = block.heartbeat;
  ULONGLONG lastChange = GetTickCount64();
  ULONGLONG verdictAt = 0;
  while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT) {
    const ULONGLONG now = GetTickCount64();
    if (block.heartbeat != lastBeat) {
      lastBeat = block.heartbeat;
      lastChange = now;
    }
    if (block.verdict != 0 && verdictAt == 0) verdictAt = now;
    const FaultCopy& final = block.final;
    Watched why = Watched::Told;
    bool end = verdictAt != 0 && now - verdictAt > kGraceMs;
    if (verdictAt == 0 && final.state >= kCopyWritten) {
      const bool thrown = final.kind == kFaultUncaughtThrow;
      const ULONGLONG since = now - final.tick;
      end = thrown ? since > kTerminateHandlerMs + (block.finalDescribed ? 0 : kTellMs)
                   : since > (block.finalDescribed ? kGraceMs : kTellMs);
    } else if (verdictAt == 0 && block.ended) {
      end = now - block.endedAt > stallMsOf(block);
      why = Watched::HungAfterEnd;
    } else if (verdictAt == 0) {
      end = now - lastChange > stallMsOf(block) + kGraceMs;
      why = Watched::Stalled;
    }
    if (end) {
      TerminateProcess(process, kExitStuck);
      WaitForSingleObject(process, INFINITE);
      return why;
    }
  }
  return Watched::Ended;
}

// The length of the trace up to its last line feed: the session's process
// may have been ended inside a line.
LONGLONG wholeLinesLength(HANDLE file, LONGLONG size) {
  char tail[4096];
  for (LONGLONG end = size; end > 0;) {
    const LONGLONG from = end > static_cast<LONGLONG>(sizeof tail) ? end - static_cast<LONGLONG>(sizeof tail) : 0;
    LARGE_INTEGER at{};
    at.QuadPart = from;
    DWORD got = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file, tail, static_cast<DWORD>(end - from), &got, nullptr))
      return size;
    for (DWORD i = got; i > 0; --i)
      if (tail[i - 1] == '\n') return from + i;
    end = from;
  }
  return 0;
}

std::string stopLine(const SessionChannel& block, const std::string& message) {
  HostEvent stop;
  stop.kind = EventKind::Stop;
  stop.frame = static_cast<std::uint64_t>(block.frame);
  stop.detail = message;
  std::ostringstream line;
  TraceWriter(line, nullptr).write(stop);
  return line.str();
}

// The trace keeps its whole lines and ends with the stop line.
void appendStopLine(const SessionChannel& block, const std::string& message) {
  const HANDLE file = CreateFileA(block.tracePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER end{};
  GetFileSizeEx(file, &end);
  end.QuadPart = wholeLinesLength(file, end.QuadPart);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  const std::string line = stopLine(block, message);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

int tellEnd(const SessionChannel& block, DWORD exitValue, Watched watched) {
  const Verdict verdict = judgeSession(block, exitValue, watched);
  if (!verdict.message.empty()) {
    writeLine(STD_ERROR_HANDLE, withPluginSourcePlaces(verdict.message));
    if (block.traceOpen) appendStopLine(block, verdict.message);
  }
  if (block.traceOpen)
    writeLine(STD_OUTPUT_HANDLE, summaryLine(static_cast<std::uint64_t>(block.framesPlayed),
                                            static_cast<std::uint64_t>(block.calls), block.tracePath));
  return verdict.code;
}

}  // namespace

int watchSession() {
  HANDLE mapping = nullptr;
  SessionChannel* block = makeSharedChannel(mapping);
  const HANDLE job = makeJob();
  PROCESS_INFORMATION process{};
  if (!block || !startSession(mapping, job, process)) {
    writeLine(STD_ERROR_HANDLE, "cannot start the session's process (error " + std::to_string(GetLastError()) +
                                    "): the stand-in itself failed");
    return kExitStandinFailed;
  }
  CloseHandle(process.hThread);
  const Watched watched = watch(process.hProcess, *block);
  DWORD exitValue = 0;
  GetExitCodeProcess(process.hProcess, &exitValue);
  CloseHandle(process.hProcess);
  const int code = tellEnd(*block, exitValue, watched);
  if (job) CloseHandle(job);
  return code;
}

}  // namespace standin::win
