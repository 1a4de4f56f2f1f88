// A process that plays session after session for a chaos run: what a
// process start costs is paid once for many sessions. A session is played
// in it only as it would be in a fresh process: the process must be as the
// last session found it (no thread, handle, module or TLS index left behind,
// the stand-in's own crash filter still in place, the floating-point control
// as it was); otherwise it ends, and the runner starts a fresh one.
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

namespace standin::win {

namespace {

struct ProcessMark {
  DWORD threads = 0;
  DWORD handles = 0;
  DWORD modules = 0;
  DWORD firstFreeTls = 0;
  unsigned fpControl = 0;
  unsigned sseControl = 0;

  bool operator==(const ProcessMark& other) const {
    return threads == other.threads && handles == other.handles && modules == other.modules &&
           firstFreeTls == other.firstFreeTls && fpControl == other.fpControl && sseControl == other.sseControl;
  }
};

ProcessMark markProcess() {
  ProcessMark mark;
  DWORD handleTable = 0;
  if (!countThreads(mark.threads, handleTable)) mark.threads = handleTable = ~0u;
  mark.handles = handleTable == ~0u ? ~0u : countHandles(handleTable);
  mark.modules = countModules();
  mark.firstFreeTls = TlsAlloc();
  if (mark.firstFreeTls != TLS_OUT_OF_INDEXES) TlsFree(mark.firstFreeTls);
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
    const HANDLE output = openForRunner(request.output), errors = openForRunner(request.errors);
    setRunnerOutput(output == INVALID_HANDLE_VALUE ? nullptr : output, errors == INVALID_HANDLE_VALUE ? nullptr : errors);
    char exe[] = "standin.exe";
    char* argv[] = {exe, const_cast<char*>(request.scenario), const_cast<char*>(request.plugin),
                    const_cast<char*>(request.trace), nullptr};
    const int code = runSession(4, argv);
    setRunnerOutput(nullptr, nullptr);
    closeOutput(output);
    closeOutput(errors);
    const ProcessMark after = markProcess();
    const bool clean = code == kExitOk && crashFilterInPlace() && after == before;
    if (!clean) return code;
    InterlockedExchange(&block.parked, block.session);
  }
}

}  // namespace standin::win

