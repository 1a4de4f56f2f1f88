// What a plug-in threw, read from the exception by which GCC's C++ runtime
// looks for a handler. The plug-in carries a runtime of its own, so nothing
// of the stand-in's runtime state knows about it; the thrown object and its
// type are reached through the exception record instead.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// The exception code of a throw by GCC's C++ runtime; ExceptionInformation[0]
// holds the address of its _Unwind_Exception.
constexpr DWORD kGccCxxException = 0x20474343;

// "std::runtime_error: boom" (the type, demangled, and what() for a
// std::exception), "const char*: TEXT", or the type alone; empty when the
// record is no throw of GCC's runtime.
std::string describeThrown(const EXCEPTION_RECORD& record);

}  // namespace standin::win
