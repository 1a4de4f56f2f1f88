// The files of a new plug-in's project, as the kit's new-plugin writes them:
// the same text from cmd.exe on Windows and from bash on Linux.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace standin {

// Whether `name` names a plug-in: a letter, then letters, digits or _ (it
// names the CMake target and NAME.asi).
bool isPluginName(const std::string& name);

// Each file's path in the project's folder and its text. `kit` is the kit's
// kit/ folder as the project's CMakeLists names it (forward slashes).
std::vector<std::pair<std::string, std::string>> newPluginFiles(const std::string& name, const std::string& kit);

}  // namespace standin
