#include "crash_report_win.h"

#include <csignal>
#include <cstring>

#include "quoted_text.h"
#include "session_win.h"

namespace standin::win {

namespace {

// Written by the overflowing thread, read by the watchdog's.
EXCEPTION_RECORD g_overflow;
volatile LONG g_overflowed = 0;

const char* exceptionName(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_BREAKPOINT: return "breakpoint";
    case 0x20474343: return "C++ exception";
    case 0xC0000409: return "fast fail";
    default: return nullptr;
  }
}

std::string accessOf(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2) return "";
  const ULONG_PTR kind = record.ExceptionInformation[0];
  const char* verb = kind == 0 ? "reading" : kind == 1 ? "writing" : kind == 8 ? "executing" : "touching";
  return std::string(", ") + verb + " address " + hex(record.ExceptionInformation[1], 16);
}

// The module by the name it was loaded under, and the offset from its base.
std::string locationOf(const void* address) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = "";
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<const char*>(address), &module) ||
      GetModuleFileNameA(module, path, sizeof path) == 0)
    return hex(reinterpret_cast<ULONG_PTR>(address), 16) + " (in no module)";
  const char* name = std::strrchr(path, '\\');
  name = name ? name + 1 : path;
  return name + ("+" + hex(reinterpret_cast<ULONG_PTR>(address) - reinterpret_cast<ULONG_PTR>(module), 0));
}

// Runs on what is left of the overflowing stack, so it only keeps the record
// and parks the thread; the watchdog's thread tells and ends the session.
LONG WINAPI onStackOverflow(EXCEPTION_POINTERS* info) {
  if (info->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
  if (InterlockedCompareExchange(&g_overflowed, 1, 0) == 0) {
    std::memcpy(&g_overflow, info->ExceptionRecord, sizeof g_overflow);
    g_overflow.ExceptionRecord = nullptr;
    InterlockedExchange(&g_overflowed, 2);
  }
  for (;;) Sleep(INFINITE);
}

void onAbort(int) {
  abandon(std::string("the plug-in aborted (abort(), or std::terminate as after an uncaught C++ exception) while ") +
              progress().phase,
          kExitAborted);
}

}  // namespace

std::string describeException(const EXCEPTION_RECORD& record) {
  const char* name = exceptionName(record.ExceptionCode);
  std::string text = "exception " + hex(record.ExceptionCode, 8);
  const std::string access = accessOf(record);
  if (name || !access.empty()) text += std::string(" (") + (name ? name : "") + access + ")";
  return text + " at " + locationOf(record.ExceptionAddress);
}

void watchFatalFaults() {
  AddVectoredExceptionHandler(1, &onStackOverflow);
  std::signal(SIGABRT, &onAbort);
}

bool takeStackOverflow(std::string& description) {
  if (InterlockedCompareExchange(&g_overflowed, 3, 2) != 2) return false;
  description = describeException(g_overflow);
  return true;
}

}  // namespace standin::win
