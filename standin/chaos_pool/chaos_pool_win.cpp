#include "chaos_pool/chaos_pool_win.h"

#include <vector>

namespace standin::chaos {

namespace {

struct WorkerStart {
  const std::function<void(unsigned)>* work;
  unsigned worker;
};

DWORD WINAPI workerMain(void* parameter) {
  const auto* start = static_cast<const WorkerStart*>(parameter);
  (*start->work)(start->worker);
  return 0;
}

}  // namespace

SessionFiles ChaosPool::filesOf(unsigned worker) const {
  const std::string stem = workFolder_ + "\\worker" + std::to_string(worker);
  return {stem + ".scn", stem + "-trace.txt", stem + "-errors.txt"};
}

Verdict ChaosPool::play(unsigned worker, const std::string& scenarioText, bool reuse) const {
  const std::string text = folders_.freshFor(worker, scenarioText);
  Verdict verdict;
  if (reuse && served_[worker]->playClean(standinExe_, pluginPath_, filesOf(worker), text, verdict)) return verdict;
  // What was not clean there, played as any author would; the folder afresh too.
  return playInChild(standinExe_, pluginPath_, filesOf(worker), reuse ? folders_.freshFor(worker, scenarioText) : text);
}

unsigned long long ChaosPool::served() const {
  unsigned long long sessions = 0;
  for (const auto& child : served_) sessions += child->served();
  return sessions;
}

std::map<std::string, unsigned long long> ChaosPool::leftBehind() const {
  std::map<std::string, unsigned long long> left;
  for (const auto& child : served_)
    for (const auto& [what, sessions] : child->leftBehind()) left[what] += sessions;
  return left;
}

void ChaosPool::runAll(const std::function<void(unsigned)>& work, const std::function<void()>& tick, DWORD tickMs) const {
  std::vector<WorkerStart> starts;
  for (unsigned worker = 0; worker < workers_; ++worker) starts.push_back({&work, worker});
  std::vector<HANDLE> threads;
  for (WorkerStart& start : starts) {
    const HANDLE thread = CreateThread(nullptr, 0, &workerMain, &start, 0, nullptr);
    if (thread) threads.push_back(thread);
    else workerMain(&start);  // no thread to be had: this one plays its part
  }
  while (!threads.empty() &&
         WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, tickMs) == WAIT_TIMEOUT)
    tick();
  for (HANDLE thread : threads) CloseHandle(thread);
}

void ChaosPool::clean() const {
  for (auto& child : served_) child = std::make_unique<ServedChild>();
  for (unsigned worker = 0; worker < workers_; ++worker) {
    const SessionFiles files = filesOf(worker);
    for (const std::string* path : {&files.scenario, &files.trace, &files.errors}) DeleteFileA(path->c_str());
  }
  folders_.clean(workers_);
  RemoveDirectoryA(workFolder_.c_str());
}

}  // namespace standin::chaos
