// Each scenario of a suite plays in a fresh copy of its working folder, as a
// chaos session does: scenarios that share a folder never write one file at
// once, none reads what another wrote, and the author's folder stays as it
// was. The copies lie in the traces' folder while their scenario plays.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "session/session_folders_win.h"

namespace standin::win {

class SuiteFolders {
 public:
  explicit SuiteFolders(const std::string& tracesFolder);
  // The copy scenario `index` plays in, made now; empty when it plays in its
  // folder itself (a folder too large to copy, told once; a scenario that
  // does not read, which its runner tells).
  std::string copyFor(std::size_t index, const std::string& scenario);
  void remove(std::size_t index);

 private:
  std::string work_;
  std::map<std::size_t, chaos::SessionFolders> folders_;
  std::set<std::string> told_;
};

}  // namespace standin::win
