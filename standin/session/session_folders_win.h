// A fresh copy of the base's working folder for each session: what one
// session's plug-in wrote there (a log, its settings) would otherwise steer
// the next, and two sessions at once would write one file.
#pragma once

#include <string>

namespace standin::chaos {

class SessionFolders {
 public:
  // `folder` is the base's working folder; `work` the run's own folder,
  // never copied into itself. Copies are made only of a folder small enough
  // to copy for every session; `why` says why not.
  bool prepare(const std::string& folder, const std::string& work, std::string& why);
  // `scenarioText` (whose `folder` line names the base's folder) made to
  // play in a fresh copy for `worker`; as it is when no copies are made.
  std::string freshFor(unsigned worker, const std::string& scenarioText) const;
  void clean(unsigned workers) const;
  // A fresh copy for `worker`, made now: its path, or empty when no copies are made.
  std::string freshCopy(unsigned worker) const;
  void removeCopy(unsigned worker) const;

 private:
  std::string copyOf(unsigned worker) const;

  std::string folder_;  // as the scenario's line names it
  std::string walked_;  // its full path
  std::string work_;
  bool copies_ = false;
};

}  // namespace standin::chaos
