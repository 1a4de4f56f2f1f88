// A worker's process that plays session after session (see
// session_served_win.cpp). It decides nothing but a clean session: any other
// end, the process's or the session's, has the session played again in a
// fresh process, whose verdict is the one told.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "chaos_pool/chaos_process_win.h"

namespace standin::win {
struct SessionChannel;
}

namespace standin::chaos {

class ServedChild {
 public:
  ServedChild() = default;
  ServedChild(const ServedChild&) = delete;
  ServedChild& operator=(const ServedChild&) = delete;
  ~ServedChild() { stop(); }

  // Plays the session; true with `verdict` when it was clean in this
  // process, false when it must be played in a fresh one.
  bool playClean(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                 const std::string& scenarioText, Verdict& verdict);
  // The same with the scenario that is in `files.scenario` already.
  bool playFileClean(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                     Verdict& verdict);
  // Whether the process that played the last session waits for the next.
  bool kept() const { return process_ != nullptr; }
  // Sessions played clean in a process kept for the next.
  unsigned long long served() const { return served_; }
  // What the last session left when it passed but the process could not be
  // kept ("1 more handle"); empty otherwise.
  const std::string& lastLeft() const { return lastLeft_; }
  // How many sessions left each such thing.
  const std::map<std::string, unsigned long long>& leftBehind() const { return leftBehind_; }

 private:
  bool start(const std::string& standinExe);
  bool startLocked(const std::string& standinExe);
  void stop();

  HANDLE process_ = nullptr;
  HANDLE job_ = nullptr;
  HANDLE mapping_ = nullptr;
  HANDLE go_ = nullptr;
  win::SessionChannel* block_ = nullptr;
  unsigned long long served_ = 0;
  std::string lastLeft_;
  std::map<std::string, unsigned long long> leftBehind_;
};

}  // namespace standin::chaos
