#pragma once

#include <string>

namespace standin::win {

// `path` made absolute from the current folder; as given when that fails.
std::string fullPath(const char* path);

}  // namespace standin::win
