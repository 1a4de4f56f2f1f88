#include "suite/suite_folders_win.h"

#include "scenario/scenario.h"
#include "session/session_win.h"

namespace standin::win {

SuiteFolders::SuiteFolders(const std::string& tracesFolder) : work_(fullPath(tracesFolder.c_str())) {}

std::string SuiteFolders::copyFor(std::size_t index, const std::string& scenario) {
  std::string folder;
  try {
    folder = resolveWorkingFolder(fullPath(scenario.c_str()), loadScenarioFile(scenario).folder);
  } catch (const std::runtime_error&) {
    return "";
  }
  chaos::SessionFolders& folders = folders_[index];
  std::string why;
  if (!folders.prepare(folder, work_, why) && !why.empty() && told_.insert(folder).second) report("warning: " + why);
  return folders.freshCopy(static_cast<unsigned>(index));
}

void SuiteFolders::remove(std::size_t index) {
  const auto found = folders_.find(index);
  if (found == folders_.end()) return;
  found->second.removeCopy(static_cast<unsigned>(index));
  folders_.erase(found);
}

}  // namespace standin::win
