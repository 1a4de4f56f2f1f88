#include "chaos_pool/chaos_served_win.h"

#include "session/child_process_win.h"
#include "channel/session_channel_win.h"
#include "judge/session_facts_win.h"

namespace standin::chaos {

namespace {

void copyPath(char (&field)[4 * MAX_PATH], const std::string& path) { win::copyText(field, path.c_str()); }

}  // namespace

// Started one at a time (the channel's variable is the process's), handles
// inherited: the mapping and the event alone are inheritable.
bool ServedChild::start(const std::string& standinExe) {
  AcquireSRWLockExclusive(&childStartLock());
  const bool started = startLocked(standinExe);
  ReleaseSRWLockExclusive(&childStartLock());
  if (!started) stop();
  return started;
}

bool ServedChild::startLocked(const std::string& standinExe) {
  block_ = win::makeChannelMapping(mapping_);
  go_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  job_ = win::makeJob();
  if (!block_ || !go_ || !job_) return false;
  block_->goEvent = reinterpret_cast<ULONG_PTR>(go_);
  std::string commandLine = "\"" + standinExe + "\" --served";
  PROCESS_INFORMATION process{};
  SetHandleInformation(go_, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  // Its own lines go to each session's files; what it writes besides, nowhere.
  SECURITY_ATTRIBUTES inheritNothing{sizeof inheritNothing, nullptr, TRUE};
  const HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inheritNothing, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
  SetEnvironmentVariableA(win::kChannelVariable, std::to_string(reinterpret_cast<std::uintptr_t>(mapping_)).c_str());
  const bool started = nothing != INVALID_HANDLE_VALUE &&
                       win::startChild(standinExe, commandLine, startup, CREATE_NO_WINDOW, job_, process);
  SetEnvironmentVariableA(win::kChannelVariable, nullptr);
  // Other children (each worker's) inherit neither.
  SetHandleInformation(mapping_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(go_, HANDLE_FLAG_INHERIT, 0);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (!started) return false;
  CloseHandle(process.hThread);
  process_ = process.hProcess;
  return true;
}

void ServedChild::stop() {
  if (process_) {
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
  }
  if (job_) CloseHandle(job_);
  if (go_) CloseHandle(go_);
  if (block_) UnmapViewOfFile(block_);
  if (mapping_) CloseHandle(mapping_);
  process_ = job_ = go_ = mapping_ = nullptr;
  block_ = nullptr;
}

bool ServedChild::playClean(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                            const std::string& scenarioText, Verdict& verdict) {
  return writeFileText(files.scenario, scenarioText) && playFileClean(standinExe, pluginPath, files, verdict);
}

bool ServedChild::playFileClean(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                                Verdict& verdict) {
  if (!process_ && !start(standinExe)) return false;
  win::beginSession(*block_);
  copyPath(block_->request.scenario, files.scenario);
  copyPath(block_->request.plugin, pluginPath);
  copyPath(block_->request.trace, files.trace);
  copyPath(block_->request.output, "NUL");
  copyPath(block_->request.errors, files.errors);
  const LONG session = block_->session + 1;  // the served process counts it once more as it begins
  SetEvent(go_);
  LONG lastBeat = block_->heartbeat;
  ULONGLONG lastChange = GetTickCount64();
  while (block_->parked != session) {
    if (WaitForSingleObject(process_, 5) != WAIT_TIMEOUT) break;
    const ULONGLONG now = GetTickCount64();
    if (block_->heartbeat != lastBeat) lastBeat = block_->heartbeat, lastChange = now;
    // Given up after its stall cap without a call to the host: played afresh,
    // where the runner's watch tells what it was.
    if (now - lastChange > win::stallMsOf(*block_) + win::kGraceMs) break;
    // A fault past the session's end (at its thread's end) parks its thread, and the process waits on it.
    if (block_->final.state != win::kCopyEmpty) break;
  }
  const bool parked = block_->parked == session && block_->endCode == 0;
  // A passing session that left the process unfit for another ends it, as a
  // fresh process ends: passing, when nothing came of its end (no verdict,
  // no fault, the exit value its own).
  DWORD exitValue = 1;
  const bool ended = !parked && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process_, &exitValue) &&
                     win::judgeSession(*block_, exitValue, Watched::Ended).code == kExitOk && !win::faultStands(*block_);
  lastLeft_ = ended ? std::string(block_->left) : std::string();
  if (!lastLeft_.empty()) ++leftBehind_[lastLeft_];
  if (!parked) stop();
  if (!parked && !ended) return false;
  if (parked) ++served_;
  verdict = Verdict{};
  verdict.code = 0;
  return true;
}

}  // namespace standin::chaos
