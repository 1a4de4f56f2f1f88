// Makes the Wine prefix for the end-to-end tests with one run of the stand-in,
// before the tests start several runs at once, and starts the prefix's Wine
// server to serve every test. With `--release`, ends that server.
//
// A Wine server quits a few seconds after its last client, and a client
// that starts as it quits has been seen to end at once with exit 0 and no
// output, or to hang: one server for the whole run leaves no such moment.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "e2e_support.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--release") == 0) {
    e2e::runWineServer("-k");
    e2e::runWineServer("-w");
    return 0;
  }
  const auto& p = e2e::paths();
  for (const std::string& needed : {p.standinExe, p.plugin, p.wine64}) {
    if (needed.empty() || !std::filesystem::exists(needed)) {
      std::fprintf(stderr, "missing: %s (build the windows preset; install wine64)\n", needed.c_str());
      return 1;
    }
  }
  // A server left from an earlier run would refuse to be started again.
  e2e::runWineServer("-k");
  e2e::runWineServer("-w");
  // Ten minutes after its last client, should the release never come.
  if (e2e::runWineServer("-p600") != 0) std::fprintf(stderr, "the Wine server did not start; each test starts its own\n");
  const std::string folder = std::string(E2E_SESSIONS_DIR_FOR_PREPARE);
  std::filesystem::create_directories(folder);
  e2e::writeFile(folder + "/scenario.txt", "frames 1\n");
  std::string output;
  const int code = e2e::runUnderWine({p.standinExe, "scenario.txt", p.plugin, "trace.txt"}, output, folder);
  std::fputs(output.c_str(), stdout);
  std::printf("wine prefix %s ready: stand-in exit code %d\n", p.winePrefix.c_str(), code);
  return code == 0 ? 0 : 1;
}
