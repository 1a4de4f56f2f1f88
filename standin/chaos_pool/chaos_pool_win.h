// Workers for a chaos run: each plays sessions in child processes, with
// files of its own in the run's work folder.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>
#include <string>

#include "session/session_folders_win.h"
#include "chaos_pool/chaos_process_win.h"
#include "chaos_pool/chaos_served_win.h"

namespace standin::chaos {

class ChaosPool {
 public:
  ChaosPool(std::string standinExe, std::string pluginPath, std::string workFolder, unsigned workers,
            SessionFolders folders)
      : standinExe_(std::move(standinExe)), pluginPath_(std::move(pluginPath)), workFolder_(std::move(workFolder)),
        workers_(workers), folders_(std::move(folders)) {
    for (unsigned worker = 0; worker < workers; ++worker) served_.push_back(std::make_unique<ServedChild>());
  }
  // However the run ends (a base that fails by itself included), the
  // workers' files are not left in the author's findings folder.
  ~ChaosPool() { clean(); }
  ChaosPool(const ChaosPool&) = delete;
  ChaosPool& operator=(const ChaosPool&) = delete;

  unsigned workers() const { return workers_; }
  // Plays a scenario with worker `worker`'s files, in a fresh copy of the
  // working folder: in the worker's served process when `reuse` and it is
  // clean there, else in a process of its own.
  Verdict play(unsigned worker, const std::string& scenarioText, bool reuse = false) const;
  // Sessions played clean in served processes.
  unsigned long long served() const;
  // What passing sessions left that kept their processes from being kept, and how often.
  std::map<std::string, unsigned long long> leftBehind() const;
  // Runs `work(worker)` on each worker at once; calls `tick` about every
  // `tickMs` until all have returned.
  void runAll(const std::function<void(unsigned)>& work, const std::function<void()>& tick, DWORD tickMs) const;
  // Ends the served processes and removes the workers' files.
  void clean() const;
  // Worker `worker`'s files: its last session's trace is read from there.
  SessionFiles filesOf(unsigned worker) const;

 private:
  std::string standinExe_;
  std::string pluginPath_;
  std::string workFolder_;
  unsigned workers_;
  SessionFolders folders_;
  mutable std::vector<std::unique_ptr<ServedChild>> served_;
};

}  // namespace standin::chaos
