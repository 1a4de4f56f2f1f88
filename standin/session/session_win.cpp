#include "session/session_win.h"

#include <cstdlib>
#include <memory>

#include "faults/crash_report_win.h"
#include "faults/entry_guard_win.h"
#include "session/pdb_symbols_win.h"
#include "faults/plugin_output_win.h"
#include "checks/process_usage_win.h"
#include "base/quoted_text.h"
#include "scenario/scenario.h"
#include "trace/scenario_from_trace.h"
#include "session/session_parent_win.h"
#include "host/standin_host.h"
#include "session/trace_output_win.h"
#include "session/watchdog_win.h"
#include "session/played_folder_win.h"

namespace standin::win {

namespace {


// "N expectations met", or "M of N", after the summary: a pass says what it proved.
void writeMetLine(const ExpectationCheck& expectations) {
  const std::size_t all = expectations.size();
  if (all == 0) return;
  const std::size_t met = expectations.metCount();
  writeLine(STD_OUTPUT_HANDLE, (met == all ? std::to_string(all) : std::to_string(met) + " of " + std::to_string(all)) +
                                   (all == 1 ? " expectation met" : " expectations met"));
}

// Once a process, however many sessions it plays.
void prepareProcess() {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  InitializeCriticalSection(&traceOutput().lock);
  setTraceSaver(&saveTraceSoFar);
  noteSessionThread(GetCurrentThreadId());
  if (!catchPluginOutput()) report("cannot catch the plug-in's stdout and stderr");
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(&crashFilter);
  watchFatalFaults();
  listenForLoads();
}

// What the last session of a served process counted starts from nothing.
void resetSessionOutput() {
  TraceOutput& output = traceOutput();
  output.writer.reset();
  output.calls = output.misuses = output.frames = 0;
  output.expectations.reset();
  output.lastStop.clear();
  output.loading = false;
  forgetUsage();
}

int playSession(int argc, char** argv) {
  if (!takeUsageOption(argc, argv) || argc != 4) {
    report("usage: standin.exe [--usage FILE] [--symbols DIR] SCENARIO PLUGIN TRACE, standin.exe --scenario-from-trace [--count-only] TRACE SCENARIO, "
           "standin.exe --short-view SCENARIO TRACE, standin.exe --symbolize PLUGIN OFFSET... [--symbols DIR], or standin.exe --suite [-j N] [--junit FILE] [--traces DIR] PLUGIN "
           "SCENARIO|FOLDER... (see the kit's STANDIN.md)");
    return kExitUsage;
  }
  prepareProcess();
  resetSessionOutput();
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
  for (IncludedFile& included : scenario.includes)
    if (!isAbsolutePath(included.path)) included.path = fullPath(included.path.c_str());
  const std::string folder = resolveWorkingFolder(fullPath(argv[1]), scenario.folder);
  if (!SetCurrentDirectoryA(folderToPlayIn(folder).c_str())) {
    report("cannot enter the working folder " + folder);
    return kExitUsage;
  }
  traceOutput().file.open(tracePath, std::ios::binary | std::ios::trunc);
  if (!traceOutput().file) {
    report("cannot write the trace " + tracePath);
    return kExitTraceFailed;
  }
  writeTraceHeader(traceOutput().file, traceHeaderOf(scenario, fullPath(folder.c_str()), tracePath));
  copyText(channel().tracePath, tracePath.c_str());
  channel().traceOpen = 1;
  if (!openUsageLog()) {
    channel().traceOpen = 0;
    report("cannot write the usage figures " + usageLogPath());
    return kExitTraceFailed;
  }
  StandinHost::instance().reset();
  // After the host is made, so that its end at process exit comes after this.
  static const bool flushesAtExit = std::atexit(&flushAtExit) == 0;
  (void)flushesAtExit;
  StandinHost::instance().take(scenario);
  if (scenario.strict) StandinHost::instance().onViolation = &endStrictSession;
  channel().stallMs = static_cast<LONG>(scenario.caps.stallMs);
  traceOutput().expectations = std::make_unique<ExpectationCheck>(scenario.expectations, argv[1]);
  if (traceOutput().expectations->watchesUsage()) watchUsage();
  Watchdog watchdog(scenario.caps.stallMs);
  int code = playLoaded(scenario, pluginPath);
  traceOutput().file.close();
  if (!traceOutput().file) {
    channel().traceOpen = 0;
    report("cannot write the trace " + tracePath);
    return kExitTraceFailed;
  }
  const std::string reloadLoss = reloadLossVerdict(usageAfterUnloads());
  if (!reloadLoss.empty()) report("warning: " + reloadLoss);
  traceOutput().expectations->seeUsage(usageAfterUnloads());
  // A session that ended early has told why already; what it expected comes second.
  if (code == kExitOk || code == kExitMisbehaved) {
    traceOutput().expectations->setFramesPlayed(traceOutput().frames);
    const auto failures = traceOutput().expectations->failures();
    for (const auto& failure : failures) report(failure);
    if (!failures.empty() && code == kExitOk) code = kExitExpectationsFailed;
    writeMetLine(*traceOutput().expectations);
  }
  return code;
}

}  // namespace

void prepareSessionProcess() { prepareProcess(); }

// The session tells its end, and the watching runner the rest: whatever
// happens while the process ends (the plug-in's DllMain at process exit, a
// thread of its own) is still the runner's to see.
int runSession(int argc, char** argv) {
  beginSession(channel());
  const int code = playSession(argc, argv);
  SessionChannel& block = channel();
  block.framesPlayed = static_cast<LONG64>(traceOutput().frames);
  block.calls = static_cast<LONG64>(traceOutput().calls);
  setPhase("ending the process (DllMain and atexit at process exit)");
  block.endCode = code;
  block.endedAt = GetTickCount64();
  InterlockedExchange(&block.ended, 1);
  return code;
}

}  // namespace standin::win

// The runner the user starts watches a process of its own that plays the
// session; that process gets the same command line and the runner's channel.
extern "C" int standinRun(int argc, char** argv) {
  using namespace standin::win;
  using standin::kExitUsage;
  std::string symbolsFolder;
  if (!takeSymbolsOption(argc, argv, symbolsFolder)) {
    report("--symbols needs a folder");
    return kExitUsage;
  }
  if (!takePlayInOption(argc, argv)) {
    report("--play-in needs a folder");
    return kExitUsage;
  }
  setSessionSymbols(pluginOfCommandLine(argc, argv), symbolsFolder.empty() ? "" : fullPath(symbolsFolder.c_str()));
  const int toolCode = runTool(argc, argv);
  if (toolCode >= 0) return toolCode;
  if (attachRunnersChannel()) return channel().goEvent != 0 ? runServedSessions() : runSession(argc, argv);
  return watchSession();
}
