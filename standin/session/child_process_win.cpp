#include "session/child_process_win.h"

namespace standin::win {

HANDLE makeJob() {
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

bool startChild(const std::string& exe, std::string commandLine, STARTUPINFOA& startup, DWORD flags, HANDLE job,
                PROCESS_INFORMATION& process) {
  startup.cb = sizeof startup;
  // Under load Wine has been seen to fail a start once with an internal error.
  BOOL started = FALSE;
  for (int tries = 0; tries < 3 && !started; ++tries) {
    if (tries > 0) Sleep(200);
    started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags | CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &process);
  }
  if (!started) return false;
  if (job) AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  return true;
}

}  // namespace standin::win
