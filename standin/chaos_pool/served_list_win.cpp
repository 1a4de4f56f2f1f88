// standin.exe --play-served FOLDER PLUGIN SCENARIO [PLUGIN SCENARIO]...:
// plays the sessions one after another as a chaos run does, in one served
// process while each is clean there and in a fresh one otherwise, and says
// of each: "kept" (the process waits for the next), "ended" (it passed, but
// left the process unfit for another, and what it left: "ended (1 more
// handle)") or "fresh" (played again in a process of its own); the traces
// go to FOLDER/N-trace.txt. For the test
// that a served session gives the trace and code of a fresh one.
#include <windows.h>

#include <string>

#include "chaos_pool/chaos_served_win.h"
#include "chaos_pool/served_list_win.h"

namespace standin::chaos {

namespace {

std::string fullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length == 0 || length >= sizeof full ? path : std::string(full, length);
}

}  // namespace

int playServedList(int argc, char** argv) {
  if (argc < 5 || (argc - 3) % 2 != 0) {
    const std::string usage = "usage: standin.exe --play-served FOLDER PLUGIN SCENARIO [PLUGIN SCENARIO]...\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), usage.data(), static_cast<DWORD>(usage.size()), &written, nullptr);
    return 2;
  }
  char exe[MAX_PATH * 4] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::string folder = fullPath(argv[2]);
  ServedChild child;
  std::string said;
  for (int i = 3, number = 1; i + 1 < argc; i += 2, ++number) {
    const std::string stem = folder + "\\" + std::to_string(number);
    const SessionFiles files{fullPath(argv[i + 1]), stem + "-trace.txt", stem + "-errors.txt"};
    const std::string plugin = fullPath(argv[i]);
    Verdict verdict;
    const bool served = child.playFileClean(exe, plugin, files, verdict);
    if (!served) verdict = playFileInChild(exe, plugin, files);
    const std::string where = !served      ? " fresh"
                              : child.kept() ? " kept"
                                             : " ended" + (child.lastLeft().empty() ? "" : " (" + child.lastLeft() + ")");
    said += std::to_string(number) + " " + std::to_string(verdict.code) + where + "\n";
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), said.data(), static_cast<DWORD>(said.size()), &written, nullptr);
  return 0;
}

}  // namespace standin::chaos
