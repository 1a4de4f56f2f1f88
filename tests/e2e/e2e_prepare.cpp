// Makes the Wine prefix for the end-to-end tests with one run of the stand-in,
// before the tests start several runs at once, and starts the Wine server
// that serves them all.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "e2e_support.h"

namespace fs = std::filesystem;

namespace {

// Runs a program under the test prefix with its output in `outputPath`, not
// in a pipe: what Wine starts in the background (its server, its services)
// would hold a pipe open for as long as it runs.
int runWithOutputIn(const std::vector<std::string>& argv, const std::string& outputPath) {
  const pid_t child = fork();
  if (child == 0) {
    const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_RDONLY);
    if (output < 0 || null < 0) _exit(126);
    dup2(null, 0);
    dup2(output, 1);
    dup2(output, 2);
    setenv("WINEPREFIX", e2e::paths().winePrefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree=;mshtml=", 1);
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A Wine server started by a run quits 3 s after its last client, and its
// services with it. A run starting as it quits has been seen to end at once
// having run nothing; a run that starts them pays their start (0.7 s, not
// 0.1 s) and, through a pipe, waits for them to end. One server that
// outlives the gaps between runs serves them all, its services started by
// this run, and ends by itself a minute after the last: killing it
// (wineserver -k) orphans the services and leaves the next run among them.
// A server already running is kept as it is. The server needs the prefix's
// folder: for a new prefix it is started once a first run has made it and
// the server of that run has ended.
void startSharedWineServer(bool prefixIsNew, const std::string& log) {
  const std::string server = (fs::path(e2e::paths().wine64).parent_path() / "wineserver").string();
  if (!fs::exists(server)) return;
  if (prefixIsNew) runWithOutputIn({server, "-w"}, log);
  runWithOutputIn({server, "-p60"}, log);  // returns once the server listens
}

}  // namespace

int main() {
  const auto& p = e2e::paths();
  for (const std::string& needed : {p.standinExe, p.plugin, p.wine64}) {
    if (needed.empty() || !fs::exists(needed)) {
      std::fprintf(stderr, "missing: %s (build the windows preset; install wine64)\n", needed.c_str());
      return 1;
    }
  }
  const std::string folder = std::string(E2E_SESSIONS_DIR_FOR_PREPARE);
  fs::create_directories(folder);
  e2e::writeFile(folder + "/scenario.txt", "frames 1\n");
  const std::vector<std::string> session{p.wine64, p.standinExe, "scenario.txt", p.plugin, "trace.txt"};
  const bool prefixIsNew = !fs::exists(p.winePrefix);
  if (prefixIsNew) {
    std::string output;
    e2e::runUnderWine({p.standinExe, "scenario.txt", p.plugin, "trace.txt"}, output, folder);
    std::fputs(output.c_str(), stdout);
  }
  startSharedWineServer(prefixIsNew, folder + "/wineserver.txt");
  const std::string outputPath = folder + "/output.txt";
  const std::string here = fs::current_path().string();
  fs::current_path(folder);
  const int code = runWithOutputIn(session, outputPath);
  fs::current_path(here);
  std::fputs(e2e::readFile(outputPath).c_str(), stdout);
  std::printf("wine prefix %s ready: stand-in exit code %d\n", p.winePrefix.c_str(), code);
  return code == 0 ? 0 : 1;
}
