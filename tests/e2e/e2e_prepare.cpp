// Makes the Wine prefix for the end-to-end tests with one run of the stand-in,
// before the tests start several runs at once, and starts the Wine server
// that serves them all.
#include <cstdio>
#include <filesystem>

#include "e2e_support.h"

namespace fs = std::filesystem;

namespace {

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
  if (prefixIsNew) e2e::runToFile({server, "-w"}, log);
  e2e::runToFile({server, "-p60"}, log);  // returns once the server listens
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
  const bool prefixIsNew = !fs::exists(p.winePrefix);
  if (prefixIsNew) {
    std::string output;
    e2e::runUnderWine({p.standinExe, "scenario.txt", p.plugin, "trace.txt"}, output, folder);
    std::fputs(output.c_str(), stdout);
  }
  e2e::useTestPrefix();
  startSharedWineServer(prefixIsNew, folder + "/wineserver.txt");
  const std::string outputPath = folder + "/output.txt";
  const int code = e2e::runToFile({p.wine64, p.standinExe, "scenario.txt", p.plugin, "trace.txt"}, outputPath, folder);
  std::fputs(e2e::readFile(outputPath).c_str(), stdout);
  std::printf("wine prefix %s ready: stand-in exit code %d\n", p.winePrefix.c_str(), code);
  return code == 0 ? 0 : 1;
}
