#include "session/session_win.h"

#include <fstream>

#include "chaos_pool/chaos_run_win.h"
#include "session/pdb_symbols_win.h"
#include "base/quoted_text.h"
#include "chaos_pool/served_list_win.h"
#include "scenario/scenario.h"
#include "trace/scenario_from_trace.h"
#include "trace/short_view.h"
#include "faults/source_places.h"
#include "trace/trace.h"
#include "command/kit_commands_win.h"

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

}  // namespace

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

// --symbolize PLUGIN OFFSET...: each offset of a player's crash log as a
// place in the plug-in's source, by its .pdb, as a verdict's message tells it.
int printSourcePlaces(int argc, char** argv) {
  const std::string plugin = fullPath(argv[2]);
  const std::string module = plugin.substr(plugin.find_last_of("\\/") + 1);
  const PdbSymbols symbols(plugin, sessionSymbolsFolder());
  if (!symbols.found()) {
    report("no .pdb of " + plugin + " found" +
           (sessionSymbolsFolder().empty() ? "" : " in " + sessionSymbolsFolder() + ",") +
           " beside it or at the path its debug directory names (a .pdb of another build is not taken)");
    return kExitUsage;
  }
  std::string text;
  int code = kExitOk;
  for (int i = 3; i < argc; ++i) {
    std::uint64_t offset = 0;
    if (!parseOffset(argv[i], offset)) {
      report(std::string("not an offset: ") + argv[i]);
      code = kExitUsage;
      continue;
    }
    const std::string place = symbols.placeOf(offset);
    text += module + "+" + hex(offset, 0) + ": " + (place.empty() ? "no function of the .pdb there" : place) + "\n";
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return code;
}

// The tools that read files and play nothing: no process of their own to watch.
int runTool(int argc, char** argv) {
  const bool countOnly = argc == 5 && std::string(argv[2]) == "--count-only";
  if ((argc == 4 || countOnly) && std::string(argv[1]) == "--scenario-from-trace")
    return writeScenarioFromTrace(argv[argc - 2], argv[argc - 1], countOnly);
  if (argc == 4 && std::string(argv[1]) == "--short-view") return printShortView(argv[2], argv[3]);
  if (argc >= 4 && std::string(argv[1]) == "--symbolize") return printSourcePlaces(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--suite") return runSuite(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--chaos") return chaos::runChaos(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--play") return runPlay(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--new-plugin") return writeNewPlugin(argc, argv);
  if (argc >= 2 && std::string(argv[1]) == "--play-served") return chaos::playServedList(argc, argv);
  return -1;
}

}  // namespace standin::win
