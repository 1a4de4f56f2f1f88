#include "session/played_folder_win.h"

#include <cstring>

namespace standin::win {

namespace {

std::string g_copy;

}  // namespace

bool takePlayInOption(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--play-in") != 0) continue;
    if (i + 1 >= argc) return false;
    g_copy = argv[i + 1];
    for (int j = i + 2; j < argc; ++j) argv[j - 2] = argv[j];
    argc -= 2;
    return true;
  }
  return true;
}

std::string folderToPlayIn(const std::string& folder) { return g_copy.empty() ? folder : g_copy; }

}  // namespace standin::win
