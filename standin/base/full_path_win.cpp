#include "base/full_path_win.h"

#include <windows.h>

namespace standin::win {

std::string fullPath(const char* path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? std::string(path) : std::string(full, length);
}

}  // namespace standin::win
