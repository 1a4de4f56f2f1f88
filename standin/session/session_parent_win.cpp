#include "session_parent_win.h"

#include <windows.h>

#include <sstream>
#include <string>

#include "scenario.h"
#include "session_channel_win.h"
#include "session_win.h"
#include "trace.h"

namespace standin::win {

namespace {

// After a verdict, the session's process may take this long to write out its
// trace and end; after a stall cap, this long to tell it.
constexpr ULONGLONG kGraceMs = 3000;
// A C++ exception that nothing caught is the verdict once the plug-in's
// terminate handler had this long to do what it does.
constexpr ULONGLONG kTerminateHandlerMs = 1000;

bool startSession(HANDLE mapping, PROCESS_INFORMATION& process) {
  const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(mapping));
  SetEnvironmentVariableA(kChannelVariable, handle.c_str());
  char exe[4 * MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string commandLine = GetCommandLineA();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  // Under load Wine has been seen to fail a start once with an internal error.
  BOOL started = FALSE;
  for (int tries = 0; tries < 3 && !started; ++tries) {
    if (tries > 0) Sleep(200);
    started = CreateProcessA(exe, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  }
  SetEnvironmentVariableA(kChannelVariable, nullptr);
  return started != FALSE;
}

// The session's stall cap: the scenario's, or the default before it is read.
ULONGLONG stallMsOf(const SessionChannel& block) {
  return block.stallMs != 0 ? static_cast<ULONGLONG>(block.stallMs) : ScenarioCaps{}.stallMs;
}

// Waits for the session's process; ends it when it outlives its verdict or
// stops calling the host for longer than its own watchdog would allow.
// Whether it stalled.
bool watch(HANDLE process, const SessionChannel& block) {
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
    const bool outlived = verdictAt != 0 && now - verdictAt > kGraceMs;
    const bool stalled = verdictAt == 0 && now - lastChange > stallMsOf(block) + kGraceMs;
    const bool uncaught = verdictAt == 0 && block.faultCertain && faultStands(block) &&
                          now - lastChange > kTerminateHandlerMs;
    if (outlived || stalled || uncaught) {
      TerminateProcess(process, kExitStuck);
      WaitForSingleObject(process, INFINITE);
      return !outlived && stalled;
    }
  }
  return false;
}

// The verdict when the session's process ended without telling its own.
int verdictOf(SessionChannel& block, DWORD exitValue, bool stalled) {
  if (block.verdict != 0) return block.verdict;
  if (faultStands(block)) {
    copyText(block.message, block.faultMessage);
    return block.fault;
  }
  std::string message = stalled ? "the plug-in is stuck: no call to the host for " + std::to_string(stallMsOf(block)) +
                                      " ms while " + block.phase
                                : "the plug-in ended the process with exit value " + std::to_string(exitValue) +
                                      " (exit, ExitProcess or TerminateProcess) while " + block.phase;
  copyText(block.message, message.c_str());
  return stalled ? kExitStuck : kExitEndedProcess;
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

std::string stopLine(const SessionChannel& block) {
  HostEvent stop;
  stop.kind = EventKind::Stop;
  stop.frame = static_cast<std::uint64_t>(block.frame);
  stop.detail = block.message;
  std::ostringstream line;
  TraceWriter(line, nullptr).write(stop);
  return line.str();
}

// The trace keeps its whole lines and ends with the stop line.
void appendStopLine(const SessionChannel& block) {
  const HANDLE file = CreateFileA(block.tracePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER end{};
  GetFileSizeEx(file, &end);
  end.QuadPart = wholeLinesLength(file, end.QuadPart);
  SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  const std::string line = stopLine(block);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

int tellEnd(SessionChannel& block, DWORD exitValue, bool stalled) {
  const int code = verdictOf(block, exitValue, stalled);
  writeLine(STD_ERROR_HANDLE, block.message);
  if (!block.traceOpen) return code;
  appendStopLine(block);
  writeLine(STD_OUTPUT_HANDLE, summaryLine(static_cast<std::uint64_t>(block.framesPlayed),
                                          static_cast<std::uint64_t>(block.calls), block.tracePath));
  return code;
}

}  // namespace

int watchSession() {
  HANDLE mapping = nullptr;
  SessionChannel* block = makeSharedChannel(mapping);
  PROCESS_INFORMATION process{};
  if (!block || !startSession(mapping, process)) {
    writeLine(STD_ERROR_HANDLE, "cannot start the session's process (error " + std::to_string(GetLastError()) + ")");
    return kExitUsage;
  }
  CloseHandle(process.hThread);
  const bool stalled = watch(process.hProcess, *block);
  DWORD exitValue = 0;
  GetExitCodeProcess(process.hProcess, &exitValue);
  CloseHandle(process.hProcess);
  if (block->ended) return static_cast<int>(exitValue);
  return tellEnd(*block, exitValue, stalled);
}

}  // namespace standin::win
