#include "scenario.h"

namespace standin {

bool isAbsolutePath(const std::string& path) {
  if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
  return path.size() >= 2 && path[1] == ':';  // a Windows drive letter
}

std::string resolveWorkingFolder(const std::string& scenarioPath, const std::string& folder) {
  if (isAbsolutePath(folder)) return folder;
  const std::size_t slash = scenarioPath.find_last_of("/\\");
  const std::string scenarioFolder = slash == std::string::npos ? "." : scenarioPath.substr(0, slash + 1);
  if (folder.empty()) return scenarioFolder;
  return scenarioFolder == "." ? folder : scenarioFolder + folder;
}

}  // namespace standin
