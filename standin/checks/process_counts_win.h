// Counts of what the process holds, cheap enough to take after every unload
// and every kept session: its threads, its handles, its loaded modules.
#pragma once

#include <windows.h>

namespace standin::win {

// This process's threads, and the size of its table of handles, from the
// system's list of processes; false when it cannot be read.
bool countThreads(DWORD& threads, DWORD& handleTable);
// The handles this process holds, given its table's size; ~0u when they cannot be counted.
DWORD countHandles(DWORD handleTable);
DWORD countOwnHandles();
DWORD countModules();

}  // namespace standin::win
