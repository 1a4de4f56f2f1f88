#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// Loads the plug-in (its DllMain runs). On failure gives null and the cause:
// a missing file, a missing library, or the imported functions that are not
// there; GetLastError() tells LoadLibrary's error.
HMODULE loadPlugin(const std::string& path, std::string& cause);

// FreeLibrary of the plug-in, its place kept to know its threads that outlive it.
void freePlugin(HMODULE plugin);

}  // namespace standin::win
