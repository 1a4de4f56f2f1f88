#include "chaos_pool/chaos_process_win.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "session/child_process_win.h"

namespace standin::chaos {

namespace {

// Only one child at a time is started while the handles it must inherit are
// inheritable, so no child keeps another's files open.
SRWLOCK g_startLock = SRWLOCK_INIT;

// Its last lines: the stop line is the last but the unload's.
std::string fileTail(const std::string& path, std::streamoff size) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return "";
  const std::streamoff length = in.tellg();
  in.seekg(length > size ? length - size : 0);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string quoted(const std::string& argument) { return "\"" + argument + "\""; }

HANDLE openForChild(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

SRWLOCK& childStartLock() { return g_startLock; }

std::string fileText(const std::string& path) { return fileTail(path, static_cast<std::streamoff>(1) << 40); }

bool writeFileText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

Verdict playInChild(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                    const std::string& scenarioText) {
  if (!writeFileText(files.scenario, scenarioText)) {
    Verdict failed;
    failed.code = -1;
    failed.message = "cannot write " + files.scenario;
    return failed;
  }
  return playFileInChild(standinExe, pluginPath, files);
}

Verdict playFileInChild(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files) {
  Verdict failed;
  failed.code = -1;
  std::string commandLine = quoted(standinExe) + " " + quoted(files.scenario) + " " + quoted(pluginPath) + " " +
                            quoted(files.trace);
  PROCESS_INFORMATION process{};
  bool started = false;
  AcquireSRWLockExclusive(&g_startLock);
  const HANDLE errors = openForChild(files.errors, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE nothing = openForChild("NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  if (errors != INVALID_HANDLE_VALUE && nothing != INVALID_HANDLE_VALUE) {
    STARTUPINFOA startup{};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = errors;
    started = win::startChild(standinExe, commandLine, startup, 0, nullptr, process);
  }
  const DWORD startError = GetLastError();
  if (errors != INVALID_HANDLE_VALUE) CloseHandle(errors);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  ReleaseSRWLockExclusive(&g_startLock);
  if (!started) {
    failed.message = "cannot start " + standinExe + " (error " + std::to_string(startError) + ")";
    return failed;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitValue = 0;
  GetExitCodeProcess(process.hProcess, &exitValue);
  CloseHandle(process.hProcess);
  return verdictOf(static_cast<int>(exitValue), fileText(files.errors), fileTail(files.trace, 8192));
}

}  // namespace standin::chaos
