// What the runner tells of a crash: the exception, where it happened, and for
// an access violation what was touched.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// "exception 0xC0000005 (access violation, writing address 0x...) at MODULE+0xOFFSET"
std::string describeException(const EXCEPTION_RECORD& record);

// Catches the faults that cannot be reported where they happen: a stack
// overflow, which leaves no stack to report on, and abort().
void watchFatalFaults();

// A stack overflow caught by that handler, told in words; false when there is none.
bool takeStackOverflow(std::string& description);

}  // namespace standin::win
