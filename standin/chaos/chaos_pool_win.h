// Workers for a chaos run: each plays sessions in child processes, with
// files of its own in the run's work folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "chaos_folder_win.h"
#include "chaos_process_win.h"

namespace standin::chaos {

class ChaosPool {
 public:
  ChaosPool(std::string standinExe, std::string pluginPath, std::string workFolder, unsigned workers,
            SessionFolders folders)
      : standinExe_(std::move(standinExe)), pluginPath_(std::move(pluginPath)), workFolder_(std::move(workFolder)),
        workers_(workers), folders_(std::move(folders)) {}

  unsigned workers() const { return workers_; }
  // Plays a scenario with worker `worker`'s files, in a fresh copy of the
  // working folder.
  Verdict play(unsigned worker, const std::string& scenarioText) const;
  // Runs `work(worker)` on each worker at once; calls `tick` about every
  // `tickMs` until all have returned.
  void runAll(const std::function<void(unsigned)>& work, const std::function<void()>& tick, DWORD tickMs) const;
  // Removes the workers' files.
  void clean() const;

 private:
  SessionFiles filesOf(unsigned worker) const;

  std::string standinExe_;
  std::string pluginPath_;
  std::string workFolder_;
  unsigned workers_;
  SessionFolders folders_;
};

}  // namespace standin::chaos
