// The plug-in's AddDllDirectory, RemoveDllDirectory and
// SetDefaultDllDirectories go through the stand-in's (import_hooks_win.h):
// the system cannot be asked what they changed, and a process that plays
// another session must be given back the DLL search it had.
#pragma once

namespace standin::win {

// The stand-in's function for an import of that name, or null.
void* dllDirectoryImportRedirect(const char* name);

// Removes the directories the plug-in added and left. False when it set the
// default directories, which nothing can put back as they were.
bool putBackDllDirectories();

}  // namespace standin::win
