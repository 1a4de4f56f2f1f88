// standin.exe --suite: plays many scenarios with one plug-in, each in a
// runner of its own (as if started alone), N at a time, and tells the suite.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "session/child_process_win.h"
#include "session/pdb_symbols_win.h"
#include "scenario/scenario.h"
#include "session/session_win.h"
#include "suite/suite_report.h"
#include "suite/suite_folders_win.h"

namespace standin::win {

namespace {

struct SuiteOptions {
  unsigned jobs = 1;
  std::string junit;
  std::string traces = "play-traces";
  std::string plugin;
  std::vector<std::string> given;  // scenario files and folders
};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A file is a scenario as given; a folder holds its *.scn files, sorted.
bool addScenarios(const std::string& given, std::vector<std::string>& scenarios) {
  const std::string full = fullPath(given.c_str());
  const DWORD attributes = GetFileAttributesA(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    report("no such scenario or folder: " + given);
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    scenarios.push_back(given);
    return true;
  }
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((full + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isScenarioFileName(name)) names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  if (names.empty()) {
    report("no scenario (*.scn) in the folder " + given);
    return false;
  }
  std::sort(names.begin(), names.end());
  const bool separated = endsWith(given, "/") || endsWith(given, "\\");
  // A folder written the Windows way (cmd.exe's) names its scenarios so too.
  const char* separator = given.find('/') == std::string::npos && given.find('\\') != std::string::npos ? "\\" : "/";
  for (const auto& name : names) scenarios.push_back(given + (separated ? "" : separator) + name);
  return true;
}

// TRACES/NAME.txt for NAME.scn; a name met before gets -2, -3, ...
std::vector<std::string> tracePaths(const std::vector<std::string>& scenarios, const std::string& folder) {
  std::vector<std::string> paths, stems;
  for (const auto& scenario : scenarios) {
    std::string stem = scenario.substr(scenario.find_last_of("/\\") + 1);
    if (isScenarioFileName(stem)) stem.resize(stem.size() - 4);
    std::string unique = stem;
    for (int n = 2; std::find(stems.begin(), stems.end(), unique) != stems.end(); ++n)
      unique = stem + "-" + std::to_string(n);
    stems.push_back(unique);
    paths.push_back(folder + "/" + unique + ".txt");
  }
  return paths;
}

// A file the session writes its output into, gone once the last handle closes.
HANDLE outputFile() {
  char folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "scn", 0, path)) return INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::vector<std::string> linesOf(HANDLE file) {
  std::string text;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char block[4096];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got != 0) text.append(block, got);
  CloseHandle(file);
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < text.size();) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string prefix = "standin: ";
    lines.push_back(line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line);
    from = end + 1;
  }
  return lines;
}

struct Running {
  std::size_t index = 0;
  HANDLE process = nullptr;
  HANDLE out = INVALID_HANDLE_VALUE;
  HANDLE err = INVALID_HANDLE_VALUE;
  ULONGLONG started = 0;
};

bool start(const std::string& scenario, const SuiteOptions& options, const std::string& trace, const std::string& copy,
           Running& running) {
  char exe[4 * MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string commandLine;
  std::vector<std::string> words = {std::string(exe), scenario, options.plugin, trace};
  // Each scenario's runner reads the plug-in's .pdb where the suite was told to look.
  if (!sessionSymbolsFolder().empty()) words.insert(words.begin() + 1, {"--symbols", sessionSymbolsFolder()});
  if (!copy.empty()) words.insert(words.begin() + 1, {"--play-in", copy});
  for (const std::string& word : words) commandLine += (commandLine.empty() ? "\"" : " \"") + word + "\"";
  running.out = outputFile();
  running.err = outputFile();
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = running.out;
  startup.hStdError = running.err;
  PROCESS_INFORMATION process{};
  running.started = GetTickCount64();
  if (running.out == INVALID_HANDLE_VALUE || running.err == INVALID_HANDLE_VALUE ||
      !startChild(exe, commandLine, startup, 0, nullptr, process))
    return false;
  CloseHandle(process.hThread);
  running.process = process.hProcess;
  return true;
}

void finish(Running& running, ScenarioResult& result) {
  DWORD code = 0;
  GetExitCodeProcess(running.process, &code);
  CloseHandle(running.process);
  result.code = static_cast<int>(code);
  result.seconds = static_cast<double>(GetTickCount64() - running.started) / 1000.0;
  for (const std::string& line : linesOf(running.out)) {
    if (line.find(" frames played, ") != std::string::npos) {
      result.frames = std::strtoull(line.c_str(), nullptr, 10);
      result.framesKnown = true;
    } else if (endsWith(line, " met")) {
      result.metLine = line;
    }
  }
  result.messages = linesOf(running.err);
}

void print(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Plays every scenario, at most `jobs` at a time, telling each in the order given.
std::vector<ScenarioResult> playAll(const std::vector<std::string>& scenarios, const SuiteOptions& options) {
  const std::vector<std::string> traces = tracePaths(scenarios, options.traces);
  std::vector<ScenarioResult> results(scenarios.size());
  std::vector<bool> done(scenarios.size(), false);
  std::vector<Running> running;
  SuiteFolders folders(options.traces);
  std::size_t next = 0, told = 0;
  while (told < scenarios.size()) {
    while (running.size() < options.jobs && next < scenarios.size()) {
      Running started;
      started.index = next;
      results[next].name = scenarios[next];
      results[next].trace = traces[next];
      if (start(scenarios[next], options, traces[next], folders.copyFor(next, scenarios[next]), started)) {
        running.push_back(started);
      } else {
        results[next].code = kExitUsage;
        results[next].messages.push_back("cannot start a runner (error " + std::to_string(GetLastError()) + ")");
        done[next] = true;
        folders.remove(next);
      }
      ++next;
    }
    if (!running.empty()) {
      std::vector<HANDLE> handles;
      for (const auto& each : running) handles.push_back(each.process);
      const DWORD which = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
      const std::size_t ended = which - WAIT_OBJECT_0 < handles.size() ? which - WAIT_OBJECT_0 : 0;
      if (which == WAIT_FAILED) WaitForSingleObject(handles[0], INFINITE);
      finish(running[ended], results[running[ended].index]);
      folders.remove(running[ended].index);
      done[running[ended].index] = true;
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(ended));
    }
    for (; told < scenarios.size() && done[told]; ++told)
      for (const std::string& line : resultLines(results[told])) print(line);
  }
  return results;
}

// [-j N] [--junit FILE] [--traces DIR] PLUGIN SCENARIO|FOLDER...
bool readOptions(int argc, char** argv, SuiteOptions& options) {
  int i = 2;
  for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
    const std::string option = argv[i];
    if (option == "-j") {
      options.jobs = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
      if (options.jobs < 1 || options.jobs > MAXIMUM_WAIT_OBJECTS) return false;
    } else if (option == "--junit") {
      options.junit = argv[i + 1];
    } else if (option == "--traces") {
      options.traces = argv[i + 1];
    } else {
      return false;
    }
  }
  if (argc - i < 2) return false;
  options.plugin = argv[i];
  options.given.assign(argv + i + 1, argv + argc);
  return true;
}

}  // namespace

int runSuite(int argc, char** argv) {
  SuiteOptions options;
  if (!readOptions(argc, argv, options)) {
    report("usage: standin.exe --suite [-j N] [--junit FILE] [--traces DIR] PLUGIN SCENARIO|FOLDER...");
    return kExitUsage;
  }
  std::vector<std::string> scenarios;
  for (const auto& given : options.given)
    if (!addScenarios(given, scenarios)) return kExitUsage;
  CreateDirectoryA(options.traces.c_str(), nullptr);
  const std::vector<ScenarioResult> results = playAll(scenarios, options);
  print(suiteCountLine(results));
  if (!options.junit.empty()) {
    const std::string plugin = options.plugin.substr(options.plugin.find_last_of("/\\") + 1);
    std::ofstream out(options.junit, std::ios::binary | std::ios::trunc);
    out << junitXml(plugin, results);
    out.close();
    if (!out) {
      report("cannot write the JUnit report " + options.junit);
      return kExitTraceFailed;
    }
  }
  for (const auto& result : results)
    if (result.code != kExitOk) return kExitSuiteFailed;
  return kExitOk;
}

}  // namespace standin::win
