// standin.exe --play: what the kit's play does, from cmd.exe or bash alike.
// One scenario is played by a runner of its own (as standin.exe SCENARIO
// PLUGIN TRACE), then shown in short, with the crash's places in the plug-in
// named from its .pdb; several scenarios, or a folder, are a suite.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "session/child_process_win.h"
#include "command/kit_commands_win.h"
#include "session/pdb_symbols_win.h"
#include "scenario/scenario.h"
#include "session/session_win.h"

namespace standin::win {

namespace {

struct PlayOptions {
  bool traceOnly = false;
  bool noPlaces = false;  // the caller names the places (the bash route, by MinGW's DWARF) and the trace
  std::vector<std::string> suite;  // -j, --junit, --traces with their values
  std::vector<std::string> given;
};

void print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool readPlayOptions(int argc, char** argv, PlayOptions& options) {
  int i = 2;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string option = argv[i];
    if (option == "--trace-only") {
      options.traceOnly = true;
    } else if (option == "--no-places") {
      options.noPlaces = true;
    } else if ((option == "-j" || option == "--junit" || option == "--traces") && i + 1 < argc) {
      options.suite.insert(options.suite.end(), {option, argv[++i]});
    } else {
      return false;
    }
  }
  options.given.assign(argv + i, argv + argc);
  return !options.given.empty();
}

// Plays the scenario in a runner of its own, on this process's outputs; its exit code.
int playAlone(const std::string& scenario, const std::string& plugin, const std::string& trace) {
  char exe[4 * MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::vector<std::string> words = {exe, scenario, plugin, trace};
  if (!sessionSymbolsFolder().empty()) words.insert(words.begin() + 1, {"--symbols", sessionSymbolsFolder()});
  std::string commandLine;
  for (const std::string& word : words) commandLine += (commandLine.empty() ? "\"" : " \"") + word + "\"";
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  for (DWORD stream : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
    SetHandleInformation(GetStdHandle(stream), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!startChild(exe, commandLine, startup, 0, nullptr, process)) {
    report("cannot start a runner (error " + std::to_string(GetLastError()) + ")");
    return kExitStandinFailed;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = kExitStandinFailed;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The places in `module` that the trace's stop line names (a crash's
// backtrace), each once, in their order.
std::vector<std::string> placesInStop(const std::string& tracePath, const std::string& module) {
  std::vector<std::string> places;
  std::ifstream in(tracePath, std::ios::binary);
  std::string line;
  const std::string mark = module + "+0x";
  while (std::getline(in, line)) {
    const std::size_t word = line.find_first_not_of(' ');
    const std::size_t second = line.find(' ', word);
    if (second == std::string::npos || line.compare(second + 1, 5, "stop ") != 0) continue;
    for (std::size_t at = line.find(mark); at != std::string::npos; at = line.find(mark, at + 1)) {
      if (at > 0 && std::string(" \"(").find(line[at - 1]) == std::string::npos) continue;
      std::size_t end = at + mark.size();
      while (end < line.size() && isHexDigit(line[end])) ++end;
      const std::string place = line.substr(at, end - at);
      if (end > at + mark.size() && std::find(places.begin(), places.end(), place) == places.end())
        places.push_back(place);
    }
  }
  return places;
}

void printPlaces(const std::string& plugin, const std::string& tracePath) {
  const std::string module = plugin.substr(plugin.find_last_of("\\/") + 1);
  std::vector<std::string> places = placesInStop(tracePath, module);
  if (places.empty()) return;
  print("\nwhere in " + module + ":\n");
  if (PdbSymbols(plugin, sessionSymbolsFolder()).found()) {
    std::vector<std::string> words = {"standin.exe", "--symbolize", plugin};
    words.insert(words.end(), places.begin(), places.end());
    std::vector<char*> line;
    for (std::string& word : words) line.push_back(&word[0]);
    printSourcePlaces(static_cast<int>(line.size()), line.data());
    return;
  }
  for (const std::string& place : places) print(place + "\n");
  print("(no .pdb of " + module + ": offsets only; a plug-in built with MinGW-w64 keeps its symbols in " + module +
        ".debug, which the kit's symbolize reads on Linux)\n");
}

}  // namespace

int runPlay(int argc, char** argv) {
  PlayOptions options;
  if (!readPlayOptions(argc, argv, options)) {
    report("usage: standin.exe --play [--trace-only] SCENARIO [TRACE], or standin.exe --play [-j N] [--junit FILE] "
           "[--traces DIR] SCENARIO|FOLDER..., with the plug-in in the environment's PLUGIN");
    return kExitUsage;
  }
  const char* pluginGiven = std::getenv("PLUGIN");
  if (pluginGiven == nullptr || *pluginGiven == '\0') {
    report("set PLUGIN to the plug-in to play: set PLUGIN=MyPlugin.asi (cmd.exe), PLUGIN=MyPlugin.asi ./play (bash)");
    return kExitUsage;
  }
  const std::string plugin = pluginGiven;
  if (GetFileAttributesA(plugin.c_str()) == INVALID_FILE_ATTRIBUTES) {
    report("missing " + plugin + ": build it first");
    return kExitUsage;
  }
  std::vector<std::string>& given = options.given;
  std::string trace;
  // A second word that is neither a scenario nor a folder is the trace.
  if (given.size() == 2 && options.suite.empty() && !isScenarioFileName(given[1]) && !isFolder(given[1])) {
    trace = given[1];
    given.pop_back();
  }
  if (given.size() > 1 || isFolder(given[0]) || !options.suite.empty()) {
    std::vector<std::string> words = {argv[0], "--suite"};
    words.insert(words.end(), options.suite.begin(), options.suite.end());
    words.push_back(plugin);
    words.insert(words.end(), given.begin(), given.end());
    std::vector<char*> line;
    for (std::string& word : words) line.push_back(&word[0]);
    return runSuite(static_cast<int>(line.size()), line.data());
  }
  trace = fullPath(trace.empty() ? "play-trace.txt" : trace.c_str());
  DeleteFileA(trace.c_str());
  int code = playAlone(given[0], plugin, trace);
  if (options.traceOnly || GetFileAttributesA(trace.c_str()) == INVALID_FILE_ATTRIBUTES) return code;
  print("\n");
  if (printShortView(given[0].c_str(), trace.c_str()) != kExitOk && code == kExitOk) code = kExitUsage;
  if (options.noPlaces) return code;
  printPlaces(fullPath(plugin.c_str()), trace);
  print("\ntrace: " + trace + "\n");
  return code;
}

}  // namespace standin::win
