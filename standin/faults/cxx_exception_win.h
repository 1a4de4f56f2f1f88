// What a plug-in threw, read from the exception by which its C++ runtime
// looks for a handler: GCC's, or Microsoft's (msvc_exception_win.h). The
// plug-in's runtime is not the stand-in's, so nothing of the stand-in's
// runtime state knows about it; the thrown object and its type are reached
// through the exception record instead.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// The exception code of a throw by GCC's C++ runtime; ExceptionInformation[0]
// holds the address of its _Unwind_Exception.
constexpr DWORD kGccCxxException = 0x20474343;

// What is told of a throw whose record could not be read.
constexpr const char* kDamagedThrow = "a type unknown: its record is damaged";

// A throw of either runtime (Microsoft's with its magic number).
bool isCxxThrow(const EXCEPTION_RECORD& record);

// What tells one throw from the next on a thread: the same object raised
// again (a terminate handler's rethrow) is the same throw.
ULONG_PTR thrownObjectOf(const EXCEPTION_RECORD& record);

// Whether a throw nothing handles goes back to its runtime, which calls
// std::terminate and so the plug-in's terminate handler: GCC's does, the
// record of Microsoft's cannot be continued.
bool returnsToTerminate(const EXCEPTION_RECORD& record);

// "std::runtime_error: boom" (the type as its author writes it, and what()
// for a std::exception), "const char*: TEXT", or the type alone; empty when
// the record is no C++ throw. A rethrow of Microsoft's runtime names what
// `thread` threw last. For the describer only: what() runs under a guard.
std::string describeThrown(const EXCEPTION_RECORD& record, DWORD thread);

}  // namespace standin::win
