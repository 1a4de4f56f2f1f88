#include "session/script_scheduler_win.h"

#include <windows.h>

#include "session/session_win.h"

namespace standin::win {

namespace {
// Plug-ins get a generous stack: the game's host gives its scripts large ones.
constexpr SIZE_T kScriptStackReserve = 8 * 1024 * 1024;
}  // namespace

ScriptScheduler::ScriptScheduler(StandinHost& host, const ScenarioCaps& caps) : host_(host), caps_(caps) {
  runner_ = ConvertThreadToFiber(nullptr);
  runnerThread_ = GetCurrentThreadId();
}

ScriptScheduler::~ScriptScheduler() {
  // A script that is not finished stays where it waited, as in the game:
  // its fiber goes without unwinding.
  if (script_) DeleteFiber(script_);
  if (runner_) ConvertFiberToThread();
}

// Only the runner's thread switches to the script's fiber, and only inside resume().
bool ScriptScheduler::inScript() const { return GetCurrentThreadId() == runnerThread_ && scriptRunning_; }

void ScriptScheduler::stop(const std::string& why) {
  HostEvent event;
  event.kind = EventKind::Stop;
  event.detail = why;
  host_.note(std::move(event));
  stopped_ = true;
}

void ScriptScheduler::stopFromScript(const std::string& why) {
  stop(why);
  for (;;) SwitchToFiber(runner_);
}

void __stdcall ScriptScheduler::fiberMain(void* self) {
  auto* scheduler = static_cast<ScriptScheduler*>(self);
  scheduler->entry_();
  // The host expects its scripts to run for ever; one that returned has ended.
  scheduler->host_.violate(RuleBreach(Rule::ScriptReturned));
  scheduler->ended_ = true;
  for (;;) SwitchToFiber(scheduler->runner_);
}

ScriptScheduler::Outcome ScriptScheduler::resume() {
  if (stopped_) return Outcome::Stopped;
  if (ended_) return Outcome::Ended;
  if (!script_) {
    entry_ = host_.registeredScript();
    script_ = CreateFiberEx(0, kScriptStackReserve, 0, &ScriptScheduler::fiberMain, this);
    if (!script_) {
      stop("cannot create a fiber for the script (error " + std::to_string(GetLastError()) + ")");
      return Outcome::Stopped;
    }
  }
  callsSinceWait_ = 0;
  scriptRunning_ = true;
  SwitchToFiber(script_);
  scriptRunning_ = false;
  return stopped_ ? Outcome::Stopped : ended_ ? Outcome::Ended : Outcome::Waited;
}

void ScriptScheduler::afterCall() {
  if (++callsSinceWait_ > caps_.callsPerFrame)
    stopFromScript("plug-in made more than " + std::to_string(caps_.callsPerFrame) +
                   " native calls without waiting");
}

void ScriptScheduler::afterWait(std::uint32_t milliseconds) {
  lastWaitMs_ = milliseconds;
  SwitchToFiber(runner_);
}

}  // namespace standin::win
