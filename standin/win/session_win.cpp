#include "session_win.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "crash_report_win.h"
#include "entry_guard_win.h"
#include "key_courier_win.h"
#include "native_names.h"
#include "plugin_library_win.h"
#include "plugin_output_win.h"
#include "process_usage_win.h"
#include "quoted_text.h"
#include "scenario.h"
#include "scenario_from_trace.h"
#include "session_parent_win.h"
#include "script_scheduler_win.h"
#include "short_view.h"
#include "standin_host.h"
#include "trace.h"
#include "watchdog_win.h"

namespace standin::win {

namespace {

Progress g_progress;
ScriptScheduler* g_scheduler = nullptr;

// The trace file and what has passed through it; shared with the watchdog
// and the crash filter, which write out the rest when the session ends early.
struct TraceOutput {
  CRITICAL_SECTION lock;
  std::ofstream file;
  std::unique_ptr<TraceWriter> writer;
  std::uint64_t calls = 0;
  std::uint64_t misuses = 0;
  std::unique_ptr<ExpectationCheck> expectations;
  std::uint64_t frames = 0;  // game frames played to their end
  std::string lastStop;
  // While the plug-in's DllMain runs, the writer does not know its module yet.
  volatile bool loading = false;
} g_trace;

void report(const std::string& message) { writeLine(STD_ERROR_HANDLE, message); }

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

// What the watching runner needs for a stop line and a summary of its own.
void tellCounts() {
  SessionChannel& block = channel();
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  block.framesPlayed = static_cast<LONG64>(g_trace.frames);
  block.calls = static_cast<LONG64>(g_trace.calls);
}

void writeEvents(const std::vector<HostEvent>& events) {
  for (const HostEvent& event : events) {
    if (event.kind == EventKind::Call) ++g_trace.calls;
    if (event.kind == EventKind::Stop) g_trace.lastStop = event.detail;
    if (event.kind == EventKind::Misuse) ++g_trace.misuses;
    if (g_trace.expectations) g_trace.expectations->see(event);
    g_trace.writer->write(event);
  }
}

// With the trace's lock held: what the host recorded goes to the file.
void writeOutEvents() {
  if (g_trace.writer) writeEvents(StandinHost::instance().takeEvents());
  g_trace.file.flush();
  tellCounts();
}

// Ends the session for a recorded fault that still stands, or for any when
// it `escaped` the plug-in.

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
    if (frame == wake) {
      if (!host.registeredScript()) {
        note(EventKind::Stop, scheduler.started() ? "the plug-in unregistered its script"
                                                  : "the plug-in registered no script");
        if (!scheduler.started()) code = kExitMisbehaved;
        break;
      }
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
    ++g_trace.frames;
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
  g_trace.loading = true;
  forgetFault();
  awaitLoad(fileName(pluginPath));
  watchDllMain(true);
  const HMODULE plugin = loadPlugin(pluginPath, cause);
  watchDllMain(false);
  // The loader swallows what left DllMain and fails the load with its code
  // (after calling DllMain once more to detach); a DllMain that returned,
  // TRUE or FALSE, caught whatever it raised. What a guarded entry point did
  // not forget came from elsewhere: a TLS callback.
  const bool guarded = loadWasGuarded();
  if (!plugin && GetLastError() != ERROR_DLL_INIT_FAILED) abandonForFault(true);
  if (plugin && guarded) abandonForFault(true);
  if (plugin) forgetFault();
  g_trace.loading = false;
  // The writer tells the plug-in's registrations by its module, which a
  // reload may place elsewhere; what the last module did is written already.
  EnterCriticalSection(&g_trace.lock);
  g_trace.writer = std::make_unique<TraceWriter>(g_trace.file, plugin);
  LeaveCriticalSection(&g_trace.lock);
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
  host.violate(Rule::UnloadRegistered, "unloaded without " + left);
}

void unloadForSession(HMODULE plugin) {
  setPhase("unloading it (its DllMain)");
  note(EventKind::Unload, "");
  forgetFault();
  const bool guarded = guardEntryPoint(plugin);
  watchDllMain(true);
  FreeLibrary(plugin);
  watchDllMain(false);
  abandonForFault(guarded);
  checkUnregistered(StandinHost::instance());
  noteUsageAtUnload(StandinHost::instance().frame());
  heartbeat();
  flushTrace();
}

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
  if (code != kExitOk) report("stopped in frame " + std::to_string(host.frame()) + ": " + g_trace.lastStop);
  if (g_trace.misuses != 0)
    report("warning: the plug-in broke the host's rules " + std::to_string(g_trace.misuses) +
           " times (the 'misuse' lines of the trace)");
  for (const std::string& warning : ruleWarnings(host.ruleTallies())) report("warning: " + warning);
  return code;
}

void endStrictSession(Rule rule, const std::string& what, std::uint64_t native) {
  abandon("the plug-in broke a host rule (strict) in frame " + std::to_string(StandinHost::instance().frame()) + ": " +
              ruleId(rule) + ": " + withNativeName(what, native),
          kExitMisbehaved);
}

// --scenario-from-trace [--count-only] TRACE SCENARIO: writes a scenario that plays the session again.
int writeScenarioFromTrace(const char* tracePath, const char* scenarioPath, bool countOnly) {
  std::ifstream in(tracePath, std::ios::binary);
  if (!in) {
    report(std::string("cannot read the trace ") + tracePath);
    return kExitUsage;
  }
  std::string scenario;
  try {
    TraceHeader header;
    const std::vector<HostEvent> events = readTrace(in, true, &header);
    scenario = scenarioFromTrace(events, header, countOnly);
  } catch (const TraceError& error) {
    const std::string line = error.line() == 0 ? "" : ":" + std::to_string(error.line());
    report(std::string(tracePath) + line + ": " + error.reason());
    return kExitUsage;
  }
  std::ofstream out(scenarioPath, std::ios::binary | std::ios::trunc);
  out << scenario;
  out.close();
  if (!out) {
    report(std::string("cannot write the scenario ") + scenarioPath);
    return kExitTraceFailed;
  }
  writeLine(STD_OUTPUT_HANDLE, std::string("scenario in ") + scenarioPath);
  return kExitOk;
}

// --short-view SCENARIO TRACE: the trace in short, natives named by the scenario's names files.
int printShortView(const char* scenarioPath, const char* tracePath) {
  std::ifstream in(tracePath, std::ios::binary);
  if (!in) {
    report(std::string("cannot read the trace ") + tracePath);
    return kExitUsage;
  }
  std::string text;
  try {
    const GameClock clock(loadScenarioFile(scenarioPath).fps);
    for (const std::string& line : shortView(readTrace(in), clock)) text += line + "\n";
  } catch (const std::runtime_error& error) {  // a scenario or a trace that does not read
    report(error.what());
    return kExitUsage;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return kExitOk;
}

// The tools that read files and play nothing: no process of their own to watch.
int runTool(int argc, char** argv) {
  const bool countOnly = argc == 5 && std::string(argv[2]) == "--count-only";
  if ((argc == 4 || countOnly) && std::string(argv[1]) == "--scenario-from-trace")
    return writeScenarioFromTrace(argv[argc - 2], argv[argc - 1], countOnly);
  if (argc == 4 && std::string(argv[1]) == "--short-view") return printShortView(argv[2], argv[3]);
  return -1;
}

// When the plug-in ends the process, what it did last is written out.
void flushAtExit() {
  if (channel().ended || !TryEnterCriticalSection(&g_trace.lock)) return;
  writeOutEvents();
  LeaveCriticalSection(&g_trace.lock);
}

int playSession(int argc, char** argv) {
  if (!takeUsageOption(argc, argv) || argc != 4) {
    report("usage: standin.exe [--usage FILE] SCENARIO PLUGIN TRACE, standin.exe --scenario-from-trace [--count-only] TRACE SCENARIO, "
           "or standin.exe --short-view SCENARIO TRACE (see standin/README.md)");
    return kExitUsage;
  }
  InitializeCriticalSection(&g_trace.lock);
  noteSessionThread(GetCurrentThreadId());
  if (!catchPluginOutput()) report("cannot catch the plug-in's stdout and stderr");
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(&crashFilter);
  watchFatalFaults();
  listenForLoads();
  const std::string pluginPath = fullPath(argv[2]);
  const std::string tracePath = fullPath(argv[3]);
  Scenario scenario;
  try {
    scenario = loadScenarioFile(argv[1]);
  } catch (const ScenarioError& error) {
    report(error.what());
    return kExitUsage;
  }
  // Names files stay found from the working folder, and from a scenario written from the trace.
  for (std::string& names : scenario.namesFiles)
    if (!isAbsolutePath(names)) names = fullPath(names.c_str());
  const std::string folder = resolveWorkingFolder(fullPath(argv[1]), scenario.folder);
  if (!SetCurrentDirectoryA(folder.c_str())) {
    report("cannot enter the working folder " + folder);
    return kExitUsage;
  }
  g_trace.file.open(tracePath, std::ios::binary | std::ios::trunc);
  if (!g_trace.file) {
    report("cannot write the trace " + tracePath);
    return kExitTraceFailed;
  }
  writeTraceHeader(g_trace.file, traceHeaderOf(scenario));
  copyText(channel().tracePath, tracePath.c_str());
  channel().traceOpen = 1;
  if (!openUsageLog()) {
    report("cannot write the usage figures " + usageLogPath());
    return kExitTraceFailed;
  }
  StandinHost::instance().reset();
  // After the host is made, so that its end at process exit comes after this.
  std::atexit(&flushAtExit);
  scenario.applyTo(StandinHost::instance());
  if (scenario.strict) StandinHost::instance().onViolation = &endStrictSession;
  channel().stallMs = static_cast<LONG>(scenario.caps.stallMs);
  g_trace.expectations = std::make_unique<ExpectationCheck>(scenario.expectations, argv[1]);
  if (g_trace.expectations->watchesUsage()) watchUsage();
  Watchdog watchdog(scenario.caps.stallMs);
  int code = playLoaded(scenario, pluginPath);
  g_trace.file.close();
  if (!g_trace.file) {
    report("cannot write the trace " + tracePath);
    return kExitTraceFailed;
  }
  writeLine(STD_OUTPUT_HANDLE, summaryLine(g_trace.frames, g_trace.calls, tracePath));
  const std::string reloadLoss = reloadLossVerdict(usageAfterUnloads());
  if (!reloadLoss.empty()) report("warning: " + reloadLoss);
  g_trace.expectations->seeUsage(usageAfterUnloads());
  // A session that ended early has told why already; what it expected comes second.
  if (code == kExitOk || code == kExitMisbehaved) {
    g_trace.expectations->setFramesPlayed(g_trace.frames);
    const auto failures = g_trace.expectations->failures();
    for (const auto& failure : failures) report(failure);
    if (!failures.empty() && code == kExitOk) code = kExitExpectationsFailed;
  }
  return code;
}

}  // namespace

Progress& progress() { return g_progress; }

// Straight to the handle, unbuffered and without text-mode CR LF, so that
// the two outputs interleave in the order written; no C runtime lock is
// taken, which a crashed thread may hold.
void writeLine(DWORD stream, const std::string& message) {
  const std::string line = "standin: " + message + "\n";
  DWORD written = 0;
  WriteFile(runnerOutput(stream), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string summaryLine(std::uint64_t frames, std::uint64_t calls, const std::string& tracePath) {
  return std::to_string(frames) + " frames played, " + std::to_string(calls) + " native calls; trace in " + tracePath;
}

void abandonForFault(bool escaped) {
  const SessionChannel& block = channel();
  if (block.fault != 0 && (escaped || faultStands(block)))
    abandon(block.faultMessage, static_cast<ExitCode>(block.fault));
}

void setPhase(const char* phase) {
  g_progress.phase = phase;
  copyText(channel().phase, phase);
}

std::string fullPath(const char* path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? std::string(path) : std::string(full, length);
}

ScriptScheduler* activeScheduler() { return g_scheduler; }


void flushTrace() {
  takePluginOutput(true);
  EnterCriticalSection(&g_trace.lock);
  writeOutEvents();
  LeaveCriticalSection(&g_trace.lock);
}

void abandon(const std::string& message, ExitCode code) {
  SessionChannel& block = channel();
  if (InterlockedCompareExchange(&block.verdict, code, 0) != 0) {
    for (;;) Sleep(INFINITE);  // another thread's verdict came first
  }
  takePluginOutput(true);
  block.frame = static_cast<LONG64>(StandinHost::instance().frame());
  copyText(block.message, message.c_str());
  // The runner may hold the trace; then what it has written must do.
  for (int tries = 0; tries < 50; ++tries) {
    if (TryEnterCriticalSection(&g_trace.lock)) {
      if (g_trace.loading)
        g_trace.writer = std::make_unique<TraceWriter>(g_trace.file, StandinHost::instance().registeredModule());
      writeOutEvents();
      break;
    }
    Sleep(10);
  }
  TerminateProcess(GetCurrentProcess(), code);
  for (;;) Sleep(INFINITE);
}

int runSession(int argc, char** argv) {
  const int code = playSession(argc, argv);
  channel().ended = 1;
  return code;
}

}  // namespace standin::win

// The runner the user starts watches a process of its own that plays the
// session; that process gets the same command line and the runner's channel.
extern "C" int standinRun(int argc, char** argv) {
  using namespace standin::win;
  const int toolCode = runTool(argc, argv);
  if (toolCode >= 0) return toolCode;
  if (attachRunnersChannel()) return runSession(argc, argv);
  return watchSession();
}
