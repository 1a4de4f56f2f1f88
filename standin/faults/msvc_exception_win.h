// What a plug-in built for Microsoft's C++ ABI threw, read in the session's
// process from the record that its runtime raised (msvc_throw_record.h for
// the layout), each pointer checked against the mapped memory first.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// "TYPE: WHAT", or the type alone; a rethrow names what this thread threw
// last; a damaged record, a type unknown. Only the describer calls it.
std::string describeMsvcThrown(const EXCEPTION_RECORD& record, DWORD thread);

// Whether the record is a throw of Microsoft's C++ runtime.
bool isMsvcThrown(const EXCEPTION_RECORD& record);

// The thrown object's address (0 for a rethrow): one object raised again
// is one throw.
ULONG_PTR msvcThrownObject(const EXCEPTION_RECORD& record);

// abort() of Microsoft's runtime DLL (ucrtbase.dll; std::terminate ends
// there) calls `handler` as the stand-in's own runtime's abort() does.
// Loaded before any plug-in, which would find the runtime's signal table
// as it left it; its abort message goes too, the stand-in tells the end.
void catchMsvcAbort(void (*handler)(int));

}  // namespace standin::win
