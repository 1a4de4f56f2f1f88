#include "scenario/scenario.h"

#include <cctype>
#include <vector>

namespace standin {

namespace {

// The parts of a path between its separators, '.' left out and '..' taken back.
std::vector<std::string> pathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/' && path[i] != '\\') {
      part += path[i];
      continue;
    }
    // Drive letters in either case name one drive.
    if (parts.empty() && part.size() == 2 && part[1] == ':')
      part[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(part[0])));
    const bool drive = parts.size() == 1 && parts[0].back() == ':';
    if (part == ".." && !parts.empty() && parts.back() != ".." && !drive) parts.pop_back();
    else if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
  }
  return parts;
}

// A drive letter, or '/' for a path from the root.
char rootOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return '/';
  return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

}  // namespace

std::string relativePath(const std::string& folder, const std::string& path) {
  if (!isAbsolutePath(folder) || !isAbsolutePath(path) || rootOf(folder) != rootOf(path)) return path;
  const std::vector<std::string> from = pathParts(folder), to = pathParts(path);
  std::size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string relative;
  for (std::size_t i = common; i < from.size(); ++i) relative += "../";
  for (std::size_t i = common; i < to.size(); ++i) relative += to[i] + (i + 1 < to.size() ? "/" : "");
  if (relative.empty()) return ".";
  if (relative.back() == '/') relative.pop_back();
  return relative;
}

bool isScenarioFileName(const std::string& name) {
  constexpr char kSuffix[] = ".scn";
  constexpr std::size_t kLength = sizeof kSuffix - 1;
  if (name.size() <= kLength) return false;
  for (std::size_t i = 0; i < kLength; ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - kLength + i])) != kSuffix[i]) return false;
  return true;
}

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
