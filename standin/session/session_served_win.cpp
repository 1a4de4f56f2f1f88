// A process that plays session after session for a chaos run: what a
// process start costs is paid once for many sessions. A session is played
// in it only as it would be in a fresh process: on a runner thread of its
// own (session_thread_win.h), in a process as the last session found it.
// What the system lets be put back is (process_state_win.h); besides, no
// thread, handle, module, TLS or fiber-local slot may be left behind, the
// stand-in's own crash filter must still be in place and the floating-point
// control as it was. Otherwise the process ends, telling what was left, and
// the runner starts a fresh one.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cfloat>
#include <vector>
#include <xmmintrin.h>

#include "faults/crash_report_win.h"
#include "faults/import_hooks_win.h"
#include "base/native_names.h"
#include "faults/plugin_output_win.h"
#include "checks/process_counts_win.h"
#include "session/session_win.h"
#include "checks/left_behind.h"
#include "session/process_state_win.h"
#include "session/session_thread_win.h"

namespace standin::win {

namespace {

ProcessMark markProcess() {
  ProcessMark mark;
  DWORD threads = 0, handleTable = 0;
  if (!countThreads(threads, handleTable)) threads = handleTable = ~0u;
  mark.threads = threads;
  mark.handles = handleTable == ~0u ? ~0u : countHandles(handleTable);
  mark.modules = countModules();
  const DWORD tls = TlsAlloc();
  if (tls != TLS_OUT_OF_INDEXES) TlsFree(tls);
  const DWORD fls = FlsAlloc(nullptr);
  if (fls != FLS_OUT_OF_INDEXES) FlsFree(fls);
  mark.firstFreeTls = tls;
  mark.firstFreeFls = fls;
  mark.fpControl = _controlfp(0, 0);
  mark.sseControl = _mm_getcsr() & ~0x3Fu;  // its control, not the flags that arithmetic sets
  return mark;
}

// What a process makes once, at its first session, for its whole life (a
// TLS index for the runtime's thread-locals and its exceptions, the import
// hooks' own, what the system keeps after a first read of an .ini file),
// made before any session, so that every session, the first too, must
// leave the process as it found it.
void warmUp() {
  static thread_local int touched = 0;
  touched = 1;
  try {
    throw touched;
  } catch (int) {
  }
  prepareImportRedirects();
  char value[8] = "";
  GetPrivateProfileStringA("standin", "warm", "", value, sizeof value, ".\\standin-warm-up.ini");
}

// The plug-in's own filter is kept aside (import_hooks_win.h); one it left
// set would be the next session's, as would one set past the hook.
bool crashFilterInPlace() {
  const LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(&crashFilter);
  return current == &crashFilter && !pluginLeftAFilter();
}

HANDLE openForRunner(const char* path) {
  if (path[0] == '\0') return nullptr;
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void closeOutput(HANDLE file) {
  if (file && file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

int runServedSessions() {
  SessionChannel& block = channel();
  const auto go = reinterpret_cast<HANDLE>(block.goEvent);
  prepareSessionProcess();
  warmUp();
  // Each session finds its paths from where the process started, as a fresh one would.
  char startFolder[4 * MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof startFolder, startFolder);
  for (;;) {
    if (WaitForSingleObject(go, INFINITE) != WAIT_OBJECT_0) return kExitStandinFailed;
    const ServedRequest request = block.request;
    SetCurrentDirectoryA(startFolder);
    forgetNativeNames();  // the last session's names files are not this one's
    const ProcessMark before = markProcess();
    const ProcessState state = readProcessState();
    const HANDLE output = openForRunner(request.output), errors = openForRunner(request.errors);
    setRunnerOutput(output == INVALID_HANDLE_VALUE ? nullptr : output, errors == INVALID_HANDLE_VALUE ? nullptr : errors);
    char exe[] = "standin.exe";
    char* argv[] = {exe, const_cast<char*>(request.scenario), const_cast<char*>(request.plugin),
                    const_cast<char*>(request.trace), nullptr};
    const int code = runSessionOnItsOwnThread(4, argv);
    setRunnerOutput(nullptr, nullptr);
    closeOutput(output);
    closeOutput(errors);
    std::vector<std::string> notPutBack = putBackProcessState(state);
    if (!crashFilterInPlace()) notPutBack.push_back("an exception filter");
    const ProcessMark after = markProcess();
    if (code != kExitOk) return code;
    const std::string left = whatWasLeft(before, after, notPutBack);
    if (!left.empty()) {
      copyText(block.left, left.c_str());
      return code;
    }
    InterlockedExchange(&block.parked, block.session);
  }
}

}  // namespace standin::win

