// Turns a stand-in trace into an account of what the plug-in did, frame by
// frame in plain words, and optionally into an SVG timeline.
//   session_account TRACE [--scenario FILE] [--names FILE] [--svg FILE] [--title TEXT]
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "vantomere/session_account_text.h"
#include "vantomere/session_timeline_svg.h"
#include "trace/trace.h"

namespace {

struct Options {
  std::string trace, scenario, namesFile, svg, title = "Session of the plug-in";
};

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--scenario" && hasValue) options.scenario = argv[++i];
    else if (arg == "--names" && hasValue) options.namesFile = argv[++i];
    else if (arg == "--svg" && hasValue) options.svg = argv[++i];
    else if (arg == "--title" && hasValue) options.title = argv[++i];
    else if (options.trace.empty() && !arg.empty() && arg[0] != '-') options.trace = arg;
    else return false;
  }
  return !options.trace.empty();
}

int fail(const std::string& message) {
  std::cerr << "session_account: " << message << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options))
    return fail("usage: session_account TRACE [--scenario FILE] [--names FILE] [--svg FILE] [--title TEXT]");
  std::ifstream traceFile(options.trace);
  if (!traceFile) return fail("cannot read " + options.trace);
  std::vector<standin::HostEvent> events;
  try {
    events = standin::readTrace(traceFile);
  } catch (const standin::TraceError& error) {
    return fail(options.trace + ": " + error.what());
  }
  standin::HashNames names;
  standin::GameClock clock;
  try {
    if (!options.namesFile.empty()) standin::loadNamesFile(options.namesFile);
  } catch (const std::runtime_error& error) {  // a file that does not read, or cannot be opened
    return fail(error.what());
  }
  if (!options.scenario.empty()) {
    std::ifstream scenario(options.scenario);
    if (!scenario) return fail("cannot read " + options.scenario);
    names.learnScenario(scenario);
    try {
      clock = standin::GameClock(standin::loadScenarioFile(options.scenario).fps);
    } catch (const standin::ScenarioError& error) {
      return fail(error.what());
    }
  }
  const auto stories = standin::tellSession(events, clock);
  for (const auto& line : standin::accountLines(stories, names)) std::cout << line << "\n";
  std::cout << "\n";
  for (const auto& line : standin::accountSummary(stories, names)) std::cout << line << "\n";
  if (options.svg.empty()) return 0;
  std::ofstream svg(options.svg, std::ios::binary);
  svg << standin::timelineSvg(stories, standin::framesPlayed(events), options.title, names);
  if (!svg.flush()) return fail("cannot write " + options.svg);
  return 0;
}
