#include "session_win.h"

#include <fstream>

#include "chaos_run_win.h"
#include "served_list_win.h"
#include "scenario.h"
#include "scenario_from_trace.h"
#include "short_view.h"
#include "trace.h"

namespace standin::win {

namespace {

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
    scenario = scenarioFromTrace(events, header, countOnly, {fullPath(tracePath), fullPath(scenarioPath)});
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
    const Scenario scenario = loadScenarioFile(scenarioPath);
    for (const std::string& line : shortView(readTrace(in), GameClock(scenario.fps), &scenario.answers))
      text += line + "\n";
  } catch (const std::runtime_error& error) {  // a scenario or a trace that does not read
    report(error.what());
    return kExitUsage;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return kExitOk;
}

}  // namespace

// The tools that read files and play nothing: no process of their own to watch.
int runTool(int argc, char** argv) {
  const bool countOnly = argc == 5 && std::string(argv[2]) == "--count-only";
  if ((argc == 4 || countOnly) && std::string(argv[1]) == "--scenario-from-trace")
    return writeScenarioFromTrace(argv[argc - 2], argv[argc - 1], countOnly);
  if (argc == 4 && std::string(argv[1]) == "--short-view") return printShortView(argv[2], argv[3]);
  if (argc >= 2 && std::string(argv[1]) == "--suite") return runSuite(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--chaos") return chaos::runChaos(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--play-served") return chaos::playServedList(argc, argv);
  return -1;
}

}  // namespace standin::win
