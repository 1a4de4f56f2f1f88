// Makes the Wine prefix for the end-to-end tests with one run of the stand-in,
// before the tests start several runs at once.
#include <cstdio>
#include <filesystem>

#include "e2e_support.h"

int main() {
  const auto& p = e2e::paths();
  for (const std::string& needed : {p.standinExe, p.plugin, p.wine64}) {
    if (needed.empty() || !std::filesystem::exists(needed)) {
      std::fprintf(stderr, "missing: %s (build the windows preset; install wine64)\n", needed.c_str());
      return 1;
    }
  }
  const std::string folder = std::string(E2E_SESSIONS_DIR_FOR_PREPARE);
  std::filesystem::create_directories(folder);
  e2e::writeFile(folder + "/scenario.txt", "frames 1\n");
  std::string output;
  const int code = e2e::runUnderWine({p.standinExe, "scenario.txt", p.plugin, "trace.txt"}, output, folder);
  std::fputs(output.c_str(), stdout);
  std::printf("wine prefix %s ready: stand-in exit code %d\n", p.winePrefix.c_str(), code);
  return code == 0 ? 0 : 1;
}
