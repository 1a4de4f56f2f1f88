#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// Loads the plug-in (its DllMain runs). On failure gives null and the cause:
// a missing file, a missing library, or the imported functions that are not
// there; GetLastError() tells LoadLibrary's error.
HMODULE loadPlugin(const std::string& path, std::string& cause);

}  // namespace standin::win
