#include "faults/crash_report_win.h"

#include "faults/backtrace_win.h"
#include "faults/cxx_exception_win.h"
#include "faults/outlived_threads_win.h"
#include "base/quoted_text.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"

namespace standin::win {

namespace {

constexpr DWORD kFailFast = 0xC0000409;  // STATUS_STACK_BUFFER_OVERRUN, the status of every fail-fast

const char* exceptionName(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_BREAKPOINT: return "breakpoint";
    case kGccCxxException: return "C++ exception";
    case kFailFast: return "fast fail";
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

// Where a redirected import was called from: the hook's own registers, the
// plug-in's call as the place.
std::string callMessage(const FaultCopy& fault, const char* what) {
  const FaultPlace place = placeOfFault(fault.context, reinterpret_cast<const void*>(fault.caller), false, 0);
  return std::string(what) + " at " + place.at + " while " + fault.phase + place.frames;
}

std::string abortMessage(const FaultCopy& fault, const SessionChannel& block) {
  // std::terminate with the exception told as it was thrown, from this
  // thread, with no call to the host since: a noexcept function let it out.
  if (block.thrownThread == fault.thread && throwStands(block))
    return std::string("the plug-in let a C++ exception out that nothing caught (") + block.thrown + "), thrown at " +
           block.thrownAt + " while " + fault.phase + ", and std::terminate ended it" + block.thrownFrames;
  const FaultPlace place = placeOfFault(fault.context, reinterpret_cast<const void*>(fault.context.Rip), false, 0);
  return std::string("the plug-in aborted (abort(), or std::terminate as after an uncaught C++ exception) while ") +
         fault.phase + place.frames;
}

}  // namespace

namespace {

// GCC's __cxa_throw calls _Unwind_RaiseException, which raises the
// exception, both in the plug-in; Microsoft's _CxxThrowException is in the
// runtime's DLL.
FaultPlace placeOfThrow(const FaultCopy& fault) {
  const bool gcc = fault.record.ExceptionCode == kGccCxxException;
  return placeOfFault(fault.context, fault.record.ExceptionAddress, false, gcc ? 2 : 0);
}

}  // namespace

std::string crashMessage(const FaultCopy& fault) {
  const EXCEPTION_RECORD& record = fault.record;
  if (!isCxxThrow(record)) {
    const bool overflow = record.ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    const FaultPlace place = placeOfFault(fault.context, record.ExceptionAddress, overflow, 0);
    return "the plug-in crashed with " + describeException(record) + " at " + place.at + " while " + fault.phase +
           place.frames;
  }
  const FaultPlace place = placeOfThrow(fault);
  return "the plug-in let a C++ exception out that nothing caught (" + describeThrown(record, fault.thread) +
         "), thrown at " + place.at + " while " + fault.phase + place.frames;
}

void tellThrown(const FaultCopy& raised, SessionChannel& block) {
  const FaultPlace place = placeOfThrow(raised);
  copyText(block.thrown, describeThrown(raised.record, raised.thread).c_str());
  copyText(block.thrownAt, place.at.c_str());
  copyText(block.thrownFrames, place.frames.c_str());
}

Told tellFinal(const FaultCopy& fault, const SessionChannel& block) {
  switch (fault.kind) {
    case kFaultUncaughtThrow: return {crashMessage(fault), kExitAborted};
    case kFaultAborted: return {abortMessage(fault, block), kExitAborted};
    case kFaultFailFast:
      return {callMessage(fault, ("the plug-in failed fast (RaiseFailFastException with " +
                                  describeException(fault.record) + ")").c_str()),
              kExitCrashed};
    case kFaultInHandler:
      return {crashMessage(fault) + " (inside its own exception handler)",
              kExitCrashed};
    case kFaultThreadEnded:
      return {callMessage(fault, fault.target == 0
                                     ? "the plug-in ended the host's thread it ran on (ExitThread)"
                                     : "the plug-in ended a thread of the host's (TerminateThread)"),
              kExitMisbehaved};
    case kFaultFreedItself:
      return {callMessage(fault, "the plug-in unloaded itself (FreeLibrary of its own module, its code still running)"),
              kExitCrashed};
    default: return {crashMessage(fault), kExitCrashed};
  }
}

Told tellCopy(const FaultCopy& fault) {
  const std::string at = " at " + hex(reinterpret_cast<std::uintptr_t>(fault.record.ExceptionAddress), 16) +
                         " while " + fault.phase + " (the stand-in could not tell more)";
  switch (fault.kind) {
    case kFaultUncaughtThrow: return {"the plug-in let a C++ exception out that nothing caught" + at, kExitAborted};
    case kFaultAborted: return {std::string("the plug-in aborted while ") + fault.phase, kExitAborted};
    case kFaultThreadEnded: return {std::string("the plug-in ended the host's thread while ") + fault.phase, kExitMisbehaved};
    case kFaultFreedItself: return {std::string("the plug-in unloaded itself while ") + fault.phase, kExitCrashed};
    default: return {"the plug-in crashed with " + describeException(fault.record) + at, kExitCrashed};
  }
}

Told tellPending(const PendingFault& fault) {
  if (fault.code != 0) return {fault.message, fault.code};
  // Thrown again (throw;) while the first throw was being told, say under
  // the loader's lock in DllMain: the exception told is this one.
  const SessionChannel& block = channel();
  if (isCxxThrow(fault.record) && block.thrown[0] != '\0' && block.thrownThread == fault.thread)
    return {std::string("the plug-in let a C++ exception out that nothing caught (") + block.thrown + "), thrown at " +
                block.thrownAt + " while " + fault.phase + block.thrownFrames,
            kExitAborted};
  FaultCopy copy;
  copy.kind = kFaultUnhandled;
  copy.record = fault.record;
  copyText(copy.phase, fault.phase);
  return tellCopy(copy);
}

}  // namespace standin::win
