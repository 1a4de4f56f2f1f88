#include "session/session_folders_win.h"

#include <windows.h>

#include <cctype>
#include <functional>
#include <vector>

#include "base/quoted_text.h"

namespace standin::chaos {

namespace {

constexpr unsigned kLargestFileCount = 200;
constexpr unsigned long long kLargestBytes = 16ull << 20;

bool samePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Calls `visit(relative path, is folder, size)` for everything under
// `root` but `skip`; false when `visit` says stop.
bool walk(const std::string& root, const std::string& relative, const std::string& skip,
          const std::function<bool(const std::string&, bool, unsigned long long)>& visit) {
  WIN32_FIND_DATAA found;
  const std::string here = relative.empty() ? root : root + "\\" + relative;
  const HANDLE search = FindFirstFileA((here + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool going = true;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative.empty() ? name : relative + "\\" + name;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && samePath(root + "\\" + path, skip)) continue;
    const unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    going = visit(path, isFolder, size) && (!isFolder || walk(root, path, skip, visit));
  } while (going && FindNextFileA(search, &found));
  FindClose(search);
  return going;
}

void removeTree(const std::string& path) {
  walk(path, "", "", [&](const std::string& relative, bool isFolder, unsigned long long) {
    if (!isFolder) DeleteFileA((path + "\\" + relative).c_str());
    return true;
  });
  // Folders deepest first: a walk lists a folder before what it holds.
  std::vector<std::string> folders;
  walk(path, "", "", [&](const std::string& relative, bool isFolder, unsigned long long) {
    if (isFolder) folders.push_back(path + "\\" + relative);
    return true;
  });
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryA(folder->c_str());
  RemoveDirectoryA(path.c_str());
}

}  // namespace

bool SessionFolders::prepare(const std::string& folder, const std::string& work, std::string& why) {
  folder_ = folder;
  work_ = work;
  // Walked by its full path, so that the run's own folder is told apart.
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
  if (length != 0 && length < sizeof full) walked_ = std::string(full, length);
  else walked_ = folder;
  while (walked_.size() > 3 && (walked_.back() == '\\' || walked_.back() == '/')) walked_.pop_back();
  // A folder that is not there is the play's to refuse, as it would for the finding.
  const DWORD attributes = GetFileAttributesA(walked_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return copies_ = false, true;
  unsigned files = 0;
  unsigned long long bytes = 0;
  const bool small = walk(walked_, "", work, [&](const std::string&, bool, unsigned long long size) {
    bytes += size;
    return ++files <= kLargestFileCount && bytes <= kLargestBytes;
  });
  copies_ = small;
  if (!small)
    why = "the working folder " + folder + " holds more than " + std::to_string(kLargestFileCount) + " files or " +
          std::to_string(kLargestBytes >> 20) + " MB: every session plays in it, not in a fresh copy";
  return copies_;
}

std::string SessionFolders::copyOf(unsigned worker) const { return work_ + "\\worker" + std::to_string(worker) + "-folder"; }

std::string SessionFolders::freshCopy(unsigned worker) const {
  if (!copies_) return "";
  const std::string copy = copyOf(worker);
  removeTree(copy);
  CreateDirectoryA(copy.c_str(), nullptr);
  walk(walked_, "", work_, [&](const std::string& relative, bool isFolder, unsigned long long) {
    const std::string from = walked_ + "\\" + relative, to = copy + "\\" + relative;
    if (isFolder) CreateDirectoryA(to.c_str(), nullptr);
    else CopyFileA(from.c_str(), to.c_str(), FALSE);
    return true;
  });
  return copy;
}

void SessionFolders::removeCopy(unsigned worker) const {
  if (copies_) removeTree(copyOf(worker));
}

std::string SessionFolders::freshFor(unsigned worker, const std::string& scenarioText) const {
  const std::string line = "folder " + quoteText(folder_) + "\n";
  const std::size_t at = scenarioText.find(line);
  if (!copies_ || at == std::string::npos) return scenarioText;
  std::string text = scenarioText;
  text.replace(at, line.size(), "folder " + quoteText(freshCopy(worker)) + "\n");
  return text;
}

void SessionFolders::clean(unsigned workers) const {
  for (unsigned worker = 0; worker < workers; ++worker) removeCopy(worker);
}

}  // namespace standin::chaos
