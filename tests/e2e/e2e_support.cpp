#include "e2e_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "trace/scenario_from_trace.h"
#include "scenario/scenario.h"
#include "scenario/scenario_tokens.h"
#include "trace/trace.h"

namespace fs = std::filesystem;

namespace e2e {

namespace {

std::string environmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

// Removes what an earlier run left in `folder` and makes it with its game folder.
void emptySessionFolder(const std::string& folder) {
  fs::remove_all(folder);
  fs::create_directories(fs::path(folder) / "game");
}

// A folder per test, made anew on each run, kept afterwards for a look.
std::string freshSessionFolder() {
  static std::map<std::string, int> played;
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "session";
  for (char& c : name)
    if (c == '/') c = '_';
  const int count = ++played[name];
  if (count > 1) name += "-" + std::to_string(count);
  const std::string folder = (fs::path(E2E_SESSIONS_DIR) / name).string();
  emptySessionFolder(folder);
  return folder;
}

[[noreturn]] void execute(const std::vector<std::string>& argv, int outputFd, const std::string& workingFolder) {
  const int nothing = open("/dev/null", O_RDONLY);
  if (nothing >= 0) dup2(nothing, 0);
  dup2(outputFd, 1);
  dup2(outputFd, 2);
  if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(126);
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

}  // namespace

const Paths& paths() {
  static const Paths p = [] {
    Paths built;
    const fs::path windows(E2E_WINDOWS_BUILD_DIR);
    built.standinExe = (windows / "standin" / "standin.exe").string();
    built.testPlugins = (windows / "standin" / "test-plugins").string();
    built.plugin = E2E_PLUGIN;
    built.secondPlugin = environmentOr("VANTOMERE_SECOND_PLUGIN", E2E_SECOND_PLUGIN);
    built.wine64 = E2E_WINE64;
    built.objdump = E2E_OBJDUMP;
    built.winePrefix = environmentOr("VANTOMERE_WINEPREFIX", E2E_DEFAULT_WINEPREFIX);
    return built;
  }();
  return p;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string vantomereNames() { return "names \"" E2E_VANTOMERE_NAMES "\"\n"; }

std::string scenarioFile(const std::string& path) {
  std::istringstream in(readFile(path));
  std::string text;
  for (std::string line; std::getline(in, line);) {
    const auto words = standin::tokenizeLine(line);
    if (words.size() == 2 && words[0].text == "names")
      line = "names \"" + standin::resolveWorkingFolder(path, words[1].text) + "\"";
    text += line + "\n";
  }
  return text;
}

void writeFile(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

int run(const std::vector<std::string>& argv, std::string& output, const std::string& workingFolder) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    execute(argv, pipeFds[1], workingFolder);
  }
  close(pipeFds[1]);
  output.clear();
  char buffer[4096];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, got);
  close(pipeFds[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int runToFile(const std::vector<std::string>& argv, const std::string& outputPath, const std::string& workingFolder) {
  const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (output < 0) return -1;
  const pid_t child = fork();
  if (child == 0) execute(argv, output, workingFolder);
  close(output);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void useTestPrefix() {
  setenv("WINEPREFIX", paths().winePrefix.c_str(), 1);
  setenv("WINEDEBUG", "-all", 1);
  // No Mono or Gecko installers when the prefix is made.
  setenv("WINEDLLOVERRIDES", "mscoree=;mshtml=", 1);
  // Wine reads the command line's file names in the locale's encoding.
  setenv("LC_ALL", "C.UTF-8", 1);
}

int runUnderWine(const std::vector<std::string>& argv, std::string& output, const std::string& workingFolder) {
  useTestPrefix();
  std::vector<std::string> command{paths().wine64};
  command.insert(command.end(), argv.begin(), argv.end());
  return run(command, output, workingFolder);
}

namespace {

Session playOnce(const std::string& folder, const std::string& scenario, const std::map<std::string, std::string>& files,
                 const std::string& plugin, const std::vector<std::string>& options) {
  Session session;
  session.folder = folder;
  session.gameFolder = session.folder + "/game";
  // A replay names its working folder itself.
  const bool ownFolder = scenario.rfind("folder ", 0) == 0 || scenario.find("\nfolder ") != std::string::npos;
  writeFile(session.folder + "/scenario.txt", (ownFolder ? "" : "folder game\n") + scenario);
  for (const auto& [path, text] : files) {
    if (!path.empty() && path.back() == '/') {
      fs::create_directories(session.gameFolder + "/" + path);
    } else {
      writeFile(session.gameFolder + "/" + path, text);
    }
  }
  if (!fs::exists(paths().standinExe))
    ADD_FAILURE() << paths().standinExe << " is missing: build the windows preset first";
  std::vector<std::string> command{paths().standinExe};
  command.insert(command.end(), options.begin(), options.end());
  command.insert(command.end(), {"scenario.txt", plugin, "trace.txt"});
  session.exitCode = runUnderWine(command, session.output, session.folder);
  session.traceText = readFile(session.folder + "/trace.txt");
  std::istringstream traceIn(session.traceText);
  try {
    session.trace = standin::readTrace(traceIn);
  } catch (const standin::TraceError& error) {
    ADD_FAILURE() << "the trace does not read: " << error.what();
  }
  return session;
}

// Under load a Wine client has been seen to lose its server as the server
// was shutting down after the previous run: it says "wine client error:
// recvmsg: Connection reset by peer", or ends at once, exit 0 or 1, having
// printed nothing (the stand-in says something of every session it plays).
// That says nothing of the plug-in: such a session is played once more from
// a fresh folder.
bool wineLostTheStart(const Session& session) {
  return session.output.empty() || session.output.find("wine client error") != std::string::npos;
}

Session playIn(const std::string& folder, const std::string& scenario, const std::map<std::string, std::string>& files,
               const std::string& plugin, const std::vector<std::string>& options) {
  Session session = playOnce(folder, scenario, files, plugin, options);
  if (!wineLostTheStart(session)) return session;
  emptySessionFolder(folder);
  return playOnce(folder, scenario, files, plugin, options);
}

// The same scenario with the other compiler's DLL must leave the same trace.
void expectSameTraceFromSecondPlugin(const Session& first, const std::string& scenario,
                                     const std::map<std::string, std::string>& files,
                                     const std::vector<std::string>& options) {
  const std::string& second = paths().secondPlugin;
  if (!fs::exists(second)) {
    ADD_FAILURE() << second << " is missing: build the windows-clang preset "
                  << "(or configure with -DVANTOMERE_SECOND_PLUGIN= to play with one DLL only)";
    return;
  }
  const std::string folder = first.folder + "-second-compiler";
  emptySessionFolder(folder);
  const Session other = playIn(folder, scenario, files, second, options);
  EXPECT_EQ(other.exitCode, first.exitCode) << other.output;
  const std::string difference = standin::traceDifference(first.traceText, other.traceText, false);
  if (difference.empty()) return;
  ADD_FAILURE() << "the traces of " << paths().plugin << " and " << second << " differ from " << difference << "\n("
                << first.folder << ", " << folder << ")";
}

}  // namespace

Session play(const std::string& scenario, const std::map<std::string, std::string>& files,
             const std::string& plugin, const std::vector<std::string>& options) {
  const Session session =
      playIn(freshSessionFolder(), scenario, files, plugin.empty() ? paths().plugin : plugin, options);
  if (plugin.empty() && !paths().secondPlugin.empty())
    expectSameTraceFromSecondPlugin(session, scenario, files, options);
  return session;
}

void expectReplaysAlike(const Session& original, const std::string& plugin) {
  std::string output;
  const int converted = runUnderWine({paths().standinExe, "--scenario-from-trace", "trace.txt", "replay.scn"}, output,
                                     original.folder);
  ASSERT_EQ(converted, 0) << original.folder << "\n" << output;
  // Played where the original was: the replay names its folder and names files from there.
  const int code = runUnderWine({paths().standinExe, "replay.scn", plugin, "replay-trace.txt"}, output, original.folder);
  EXPECT_EQ(code, original.exitCode) << original.folder << "\n" << output << readFile(original.folder + "/replay.scn");
  // A replay of a session with no misuse is strict, to show a new one: its
  // header may say so where the original's did not.
  const auto events = [](const std::string& trace) {
    std::istringstream in(trace);
    std::string text, line;
    while (std::getline(in, line))
      if (line.rfind("# strict", 0) != 0) text += line + "\n";
    return text;
  };
  const std::string difference = standin::traceDifference(
      events(original.traceText), events(readFile(original.folder + "/replay-trace.txt")), false);
  EXPECT_EQ(difference, "") << "the replay of " << original.folder << " left another trace";
}

std::vector<standin::HostEvent> Session::frame(std::uint64_t number) const {
  std::vector<standin::HostEvent> events;
  for (const auto& event : trace)
    if (event.frame == number) events.push_back(event);
  return events;
}

std::uint64_t Session::framesEnded() const {
  std::uint64_t ended = 0;
  for (const auto& event : trace) ended += isFrameEnd(event) ? 1 : 0;
  return ended;
}

std::string Session::fileText(const std::string& pathInGameFolder) const {
  return readFile(gameFolder + "/" + pathInGameFolder);
}

bool isFrameEnd(const standin::HostEvent& event) {
  return event.kind == standin::EventKind::Wait && event.waitMs == 0;
}

}  // namespace e2e
