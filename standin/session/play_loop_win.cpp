#include "session/session_win.h"

#include <algorithm>
#include <memory>

#include "faults/crash_report_win.h"
#include "faults/entry_guard_win.h"
#include "session/key_courier_win.h"
#include "faults/outlived_threads_win.h"
#include "faults/pending_faults_win.h"
#include "session/plugin_library_win.h"
#include "faults/plugin_output_win.h"
#include "checks/process_usage_win.h"
#include "scenario/scenario.h"
#include "session/script_scheduler_win.h"
#include "host/standin_host.h"
#include "session/trace_output_win.h"

namespace standin::win {

namespace {

ScriptScheduler* g_scheduler = nullptr;

std::string fileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void note(EventKind kind, const std::string& detail) {
  HostEvent event;
  event.kind = kind;
  event.detail = detail;
  StandinHost::instance().note(std::move(event));
}

// The scenario's keys are sorted by frame: a frame finds its own without looking at the rest.
void deliverKeysFor(std::uint64_t frame, const std::vector<KeyMessage>& keys, KeyCourier& courier) {
  const auto byFrame = [](const KeyMessage& key, std::uint64_t f) { return key.frame < f; };
  const auto first = std::lower_bound(keys.begin(), keys.end(), frame, byFrame);
  auto last = first;
  while (last != keys.end() && last->frame == frame) ++last;
  if (first == last) return;
  const std::vector<KeyMessage> batch(first, last);
  setPhase("in its keyboard handler");
  courier.deliver(batch);
  settlePending(courier.threadId());
  takePluginOutput(true);
  heartbeat();
}

// Plays frames `firstFrame` to `lastFrame` with a script fiber of its own: a
// reloaded plug-in's script starts from its entry again. While the script
// waits, frames go on without it, their key messages delivered. Leaves the
// host in the frame after the last one played, or in the one it stopped in.
int playFrames(StandinHost& host, const Scenario& scenario, KeyCourier& courier, std::uint64_t firstFrame,
               std::uint64_t lastFrame) {
  const GameClock clock(scenario.fps);
  ScriptScheduler scheduler(host, scenario.caps);
  g_scheduler = &scheduler;
  int code = kExitOk;
  std::uint64_t frame = firstFrame;
  for (std::uint64_t wake = firstFrame; frame <= lastFrame; ++frame) {
    host.enterFrame(frame, clock.beginMs(frame));
    deliverKeysFor(frame, scenario.keys, courier);
    if (frame == wake && !host.registeredScript()) {
      if (!scheduler.started()) {
        note(EventKind::Stop, "the plug-in registered no script");
        code = kExitMisbehaved;
        break;
      }
      // A script that unregistered itself runs no more, as one that returned:
      // the frames play on without it, and every expectation is checked.
      wake = 0;
    }
    if (frame == wake) {
      setPhase("running its script");
      const auto outcome = scheduler.resume();
      heartbeat();
      if (outcome == ScriptScheduler::Outcome::Stopped) {
        code = kExitMisbehaved;
        break;
      }
      // A script that ended runs no more; the frames play on without it.
      wake = outcome == ScriptScheduler::Outcome::Ended ? 0 : clock.wakeFrame(frame, scheduler.lastWaitMs());
    }
    flushTrace();
    ++traceOutput().frames;
  }
  flushTrace();
  host.enterFrame(frame, clock.beginMs(frame));
  g_scheduler = nullptr;
  return code;
}

// Loads the plug-in (its DllMain runs); null, noted and reported, when it cannot be.
HMODULE loadForSession(const std::string& pluginPath) {
  setPhase("loading it (its DllMain)");
  note(EventKind::Load, fileName(pluginPath));
  std::string cause;
  traceOutput().loading = true;
  settlePendingHere();
  awaitLoad(fileName(pluginPath));
  watchDllMain(true);
  const HMODULE plugin = loadPlugin(pluginPath, cause);
  const DWORD error = GetLastError();
  watchDllMain(false);
  // The loader swallows what left DllMain or a TLS callback, and fails the
  // load with its code (after calling DllMain once more to detach); a
  // DllMain that returned, TRUE or FALSE, handled whatever it raised. An
  // entry point not guarded in time is told by the load's error alone.
  const bool guarded = loadWasGuarded();
  if (!entryEscaped() && !guarded && !plugin && error != ERROR_DLL_INIT_FAILED)
    makePendingCertain(GetCurrentThreadId());
  abandonForCertainFault();
  settlePendingHere();
  traceOutput().loading = false;
  // The writer tells the plug-in's registrations by its module, which a
  // reload may place elsewhere; what the last module did is written already.
  EnterCriticalSection(&traceOutput().lock);
  traceOutput().writer = std::make_unique<TraceWriter>(traceOutput().file, plugin);
  LeaveCriticalSection(&traceOutput().lock);
  if (!plugin) {
    // The trace names the file alone, so it reads the same wherever the plug-in lies.
    note(EventKind::Stop, "cannot load " + fileName(pluginPath) + ": " + cause);
    flushTrace();
    report("cannot load " + pluginPath + ": " + cause);
  }
  return plugin;
}

// What an unloaded plug-in left registered would be called in its unmapped
// code; the host is told to forget it.
void checkUnregistered(StandinHost& host) {
  std::string left;
  if (host.registeredScript()) left = "scriptUnregister";
  if (host.registeredKeyboardHandler()) left += (left.empty() ? "" : " and ") + std::string("keyboardHandlerUnregister");
  if (left.empty()) return;
  host.forgetRegistrations();
  RuleBreach breach(Rule::UnloadRegistered);
  breach.undo = left;
  host.violate(breach);
}

void unloadForSession(HMODULE plugin) {
  setPhase("unloading it (its DllMain)");
  note(EventKind::Unload, "");
  StandinHost::instance().beginUnload();
  settlePendingHere();
  guardEntryPoint(plugin);
  watchDllMain(true);
  freePlugin(plugin);
  watchDllMain(false);
  // Only what left the unloading thread's calls into the plug-in escaped;
  // another thread's fault is its own to handle.
  entryEscaped();
  abandonForCertainFault();
  settlePendingHere();
  abandonForOutlivingThread();
  checkUnregistered(StandinHost::instance());
  noteUsageAtUnload(StandinHost::instance().frame());
  heartbeat();
  flushTrace();
}

}  // namespace

ScriptScheduler* activeScheduler() { return g_scheduler; }

int playLoaded(const Scenario& scenario, const std::string& pluginPath) {
  StandinHost& host = StandinHost::instance();
  KeyCourier courier(host);
  if (!courier.ready()) {
    report("cannot start the keyboard thread");
    return kExitUsage;
  }
  noteSessionThread(courier.threadId());
  HMODULE plugin = loadForSession(pluginPath);
  if (!plugin) return kExitLoadFailed;
  int code = kExitOk;
  // Between two reloads, as between the host's reload key presses, the plug-in plays on.
  for (std::size_t reload = 0;; ++reload) {
    const bool reloadAhead = reload < scenario.reloads.size();
    const std::uint64_t lastFrame = reloadAhead ? scenario.reloads[reload] - 1 : scenario.frames;
    code = playFrames(host, scenario, courier, host.frame(), lastFrame);
    if (code != kExitOk || !reloadAhead || host.frame() <= lastFrame) break;
    unloadForSession(plugin);
    plugin = loadForSession(pluginPath);
    if (!plugin) return kExitLoadFailed;
  }
  unloadForSession(plugin);
  abandonForUnsettledFault();
  if (code != kExitOk) report("stopped in frame " + std::to_string(host.frame()) + ": " + traceOutput().lastStop);
  if (traceOutput().misuses != 0)
    report("warning: the plug-in broke the host's rules " + std::to_string(traceOutput().misuses) +
           " times (the 'misuse' lines of the trace)");
  for (const std::string& warning : ruleWarnings(host.ruleTallies())) report("warning: " + warning);
  return code;
}

}  // namespace standin::win
