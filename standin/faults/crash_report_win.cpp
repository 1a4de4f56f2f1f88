#include "crash_report_win.h"

#include <csignal>
#include <cstring>

#include "backtrace_win.h"
#include "cxx_exception_win.h"
#include "plugin_output_win.h"
#include "quoted_text.h"
#include "session_channel_win.h"
#include "session_win.h"

namespace standin::win {

namespace {

// Written by the overflowing thread, read by the watchdog's.
EXCEPTION_RECORD g_overflow;
CONTEXT g_overflowContext;
const char* volatile g_overflowPhase = "";
volatile LONG g_overflowed = 0;
volatile LONG g_inDllMain = 0;
volatile LONG g_faults = 0;
// Set while a fault is being described, so that a fault in the describing
// (a broken exception object, say) is not described again and again.
volatile LONG g_describing = 0;

const char* exceptionName(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_BREAKPOINT: return "breakpoint";
    case kGccCxxException: return "C++ exception";
    case 0xC0000409: return "fast fail";
    case 0xE06D7363: return "C++ exception of Microsoft's runtime";
    default: return nullptr;
  }
}

std::string accessOf(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2) return "";
  const ULONG_PTR kind = record.ExceptionInformation[0];
  const char* verb = kind == 0 ? "reading" : kind == 1 ? "writing" : kind == 8 ? "executing" : "touching";
  return std::string(", ") + verb + " address " + hex(record.ExceptionInformation[1], 16);
}

std::string describeException(const EXCEPTION_RECORD& record) {
  const char* name = exceptionName(record.ExceptionCode);
  std::string text = "exception " + hex(record.ExceptionCode, 8);
  const std::string access = accessOf(record);
  if (name || !access.empty()) text += std::string(" (") + (name ? name : "") + access + ")";
  return text;
}

// What the session was doing, or that the plug-in's own thread faulted.
const char* phaseHere() { return onSessionThread() ? progress().phase : "in a thread of its own"; }

// Exceptions that end a program unless something handles them: errors, and
// the breakpoint of DebugBreak. Debug output and a C++ throw are not faults.
bool isFault(DWORD code) { return (code >> 30) == 3 || code == EXCEPTION_BREAKPOINT; }

void recordFault(const std::string& message, ExitCode code, bool certain) {
  SessionChannel& block = channel();
  InterlockedExchange(&block.fault, 0);
  copyText(block.faultMessage, message.c_str());
  block.faultHeartbeat = block.heartbeat;
  block.faultCertain = certain ? 1 : 0;
  InterlockedExchange(&block.fault, code);
  InterlockedIncrement(&g_faults);
}

// Runs on what is left of the overflowing stack, so it only keeps the record
// and parks the thread; the watchdog's thread tells and ends the session.
[[noreturn]] void parkOverflow(const EXCEPTION_POINTERS& info) {
  if (InterlockedCompareExchange(&g_overflowed, 1, 0) == 0) {
    std::memcpy(&g_overflow, info.ExceptionRecord, sizeof g_overflow);
    std::memcpy(&g_overflowContext, info.ContextRecord, sizeof g_overflowContext);
    g_overflowPhase = phaseHere();
    g_overflow.ExceptionRecord = nullptr;
    InterlockedExchange(&g_overflowed, 2);
  }
  for (;;) Sleep(INFINITE);
}

LONG WINAPI onException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (takeDebugString(record)) return EXCEPTION_CONTINUE_EXECUTION;
  if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) parkOverflow(*info);
  const bool thrown = record.ExceptionCode == kGccCxxException;
  const bool recorded = isFault(record.ExceptionCode) || (thrown && g_inDllMain);
  if (recorded && InterlockedCompareExchange(&g_describing, 1, 0) == 0) {
    recordFault(crashMessage(record, *info->ContextRecord, phaseHere()), thrown ? kExitAborted : kExitCrashed, false);
    InterlockedExchange(&g_describing, 0);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// The plug-in's frames that led to abort(), as for a crash.
std::string abortBacktrace() {
  CONTEXT context{};
  RtlCaptureContext(&context);
  return placeOfFault(context, reinterpret_cast<const void*>(context.Rip), false, 0).frames;
}

void onAbort(int) {
  const SessionChannel& block = channel();
  if (block.fault == kExitAborted && block.faultCertain) abandon(block.faultMessage, kExitAborted);
  abandon(std::string("the plug-in aborted (abort(), or std::terminate as after an uncaught C++ exception) while ") +
              phaseHere() + abortBacktrace(),
          kExitAborted);
}

}  // namespace

std::string crashMessage(const EXCEPTION_RECORD& record, const CONTEXT& context, const char* phase) {
  const bool overflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
  const bool thrown = record.ExceptionCode == kGccCxxException;
  // GCC's __cxa_throw calls _Unwind_RaiseException, which raises the exception.
  const FaultPlace place = placeOfFault(context, record.ExceptionAddress, overflow, thrown ? 2 : 0);
  if (!thrown)
    return "the plug-in crashed with " + describeException(record) + " at " + place.at + " while " + phase +
           place.frames;
  return "the plug-in let a C++ exception out that nothing caught (" + describeThrown(record) + "), thrown at " +
         place.at + " while " + phase + place.frames;
}

void watchFatalFaults() {
  rememberHostModules();
  AddVectoredExceptionHandler(1, &onException);
  std::signal(SIGABRT, &onAbort);
}

bool takeStackOverflow(std::string& message) {
  if (InterlockedCompareExchange(&g_overflowed, 3, 2) != 2) return false;
  message = crashMessage(g_overflow, g_overflowContext, g_overflowPhase);
  return true;
}

void watchDllMain(bool running) { InterlockedExchange(&g_inDllMain, running ? 1 : 0); }

LONG faultsRecorded() { return g_faults; }

void forgetFault() {
  if (!channel().faultCertain) InterlockedExchange(&channel().fault, 0);
}

// GCC's C++ runtime raises its exceptions to find a handler; one that finds
// none is handed back to the runtime, which calls std::terminate: the
// plug-in's own terminate handler, if it set one, runs. Whatever it does
// then (abort, exit, loop), the exception is the verdict.
LONG WINAPI crashFilter(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  const std::string message = crashMessage(record, *info->ContextRecord, phaseHere());
  if (record.ExceptionCode == kGccCxxException && !(record.ExceptionFlags & EXCEPTION_NONCONTINUABLE)) {
    recordFault(message, kExitAborted, true);
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  abandon(message, kExitCrashed);
}

}  // namespace standin::win
