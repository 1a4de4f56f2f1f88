// Runs code of the plug-in's (what() of a thrown object) on the describer's
// thread so that a fault in it is the describer's answer "could not" and not
// the session's verdict: the stand-in's vectored handler sends the faulting
// thread back to where the call began.
#pragma once

#include <windows.h>

namespace standin::win {

// False when `call` faulted (or raised anything but debug output).
bool callGuarded(void (*call)(void*), void* argument);

// For the vectored handler: true when this thread is inside callGuarded,
// its registers set to return from it with false.
bool resumeGuarded(EXCEPTION_POINTERS* info);

// Whether `size` bytes at `address` can be read (committed, not a guard page).
bool readable(const void* address, SIZE_T size);
// Whether `address` lies in committed memory that may be executed.
bool executable(const void* address);

}  // namespace standin::win
