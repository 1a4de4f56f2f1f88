#pragma once

#include <cstdint>
#include <string>

#include "scenario/scenario.h"
#include "host/standin_host.h"

namespace standin::win {

// Runs the plug-in's registered script on a fiber of its own, as the game's
// host does. The runner resumes it; every scriptWait switches back, and the
// runner decides from its length in which frame to resume it again.
class ScriptScheduler {
 public:
  enum class Outcome { Waited, Stopped, Ended };  // Ended: its entry returned

  ScriptScheduler(StandinHost& host, const ScenarioCaps& caps);
  ~ScriptScheduler();
  ScriptScheduler(const ScriptScheduler&) = delete;
  ScriptScheduler& operator=(const ScriptScheduler&) = delete;

  // Runs the script until it next gives control back. The first call
  // starts the registered script entry.
  Outcome resume();
  bool started() const { return script_ != nullptr; }
  std::uint32_t lastWaitMs() const { return lastWaitMs_; }
  bool inScript() const;

  // Called from the script fiber by the host functions.
  void afterCall();
  void afterWait(std::uint32_t milliseconds);

 private:
  static void __stdcall fiberMain(void* self);
  // From the script fiber: records why and never comes back.
  [[noreturn]] void stopFromScript(const std::string& why);
  void stop(const std::string& why);

  StandinHost& host_;
  ScenarioCaps caps_;
  ScriptEntry entry_ = nullptr;
  void* runner_ = nullptr;
  void* script_ = nullptr;
  std::uint64_t callsSinceWait_ = 0;
  std::uint32_t lastWaitMs_ = 0;
  bool stopped_ = false;
  bool ended_ = false;
  bool scriptRunning_ = false;
  unsigned long runnerThread_ = 0;
};

}  // namespace standin::win
