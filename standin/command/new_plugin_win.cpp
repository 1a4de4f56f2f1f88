// standin.exe --new-plugin: the kit's new-plugin, from cmd.exe or bash alike.
#include <windows.h>

#include <fstream>

#include "command/kit_commands_win.h"
#include "command/new_plugin_files.h"
#include "session/session_win.h"

namespace standin::win {

namespace {

void say(DWORD stream, const std::string& line) {
  const std::string text = "new-plugin: " + line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool isEmptyOrAbsent(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
  bool empty = true;
  do {
    const std::string name = found.cFileName;
    empty = name == "." || name == "..";
  } while (empty && FindNextFileA(search, &found));
  FindClose(search);
  return empty;
}

bool makeFolders(const std::string& path) {
  const std::string full = fullPath(path.c_str());
  for (std::size_t slash = full.find_first_of("/\\", 3);; slash = full.find_first_of("/\\", slash + 1)) {
    const std::string prefix = full.substr(0, slash);
    if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (slash == std::string::npos) return true;
  }
}

// The kit's kit/ folder: beside the stand-in's folder, in forward slashes, as CMake reads a path.
std::string kitFolder() {
  char exe[4 * MAX_PATH] = "";
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string folder = exe;
  for (int up = 0; up < 2; ++up) folder = folder.substr(0, folder.find_last_of("\\/"));
  folder += "/kit";
  for (char& c : folder)
    if (c == '\\') c = '/';
  return folder;
}

}  // namespace

int writeNewPlugin(int argc, char** argv) {
  std::vector<std::string> words;
  std::string kitAs;  // the kit's folder as a build on another system names it (bash on Linux)
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--kit-as" && i + 1 < argc) kitAs = argv[++i];
    else words.push_back(argv[i]);
  }
  if (words.empty() || words.size() > 2) {
    report("usage: new-plugin NAME [DIR]   (NAME: a letter, then letters, digits or _; DIR: by default ./NAME)");
    return kExitUsage;
  }
  const std::string name = words[0];
  const std::string folder = words.size() == 2 ? words[1] : name;
  if (!isPluginName(name)) {
    say(STD_ERROR_HANDLE, "'" + name + "' is no name for a plug-in: a letter, then letters, digits or _ (it names the target and NAME.asi)");
    return kExitUsage;
  }
  if (!isEmptyOrAbsent(folder)) {
    say(STD_ERROR_HANDLE, folder + " exists and is not empty: give another DIR");
    return kExitUsage;
  }
  const std::string kit = kitFolder();
  if (GetFileAttributesA((kit + "/script_plugin.cmake").c_str()) == INVALID_FILE_ATTRIBUTES) {
    say(STD_ERROR_HANDLE, "no kit/script_plugin.cmake beside the stand-in's folder: run the new-plugin of an unzipped kit");
    return kExitUsage;
  }
  if (!makeFolders(folder + "/tests")) {
    say(STD_ERROR_HANDLE, "cannot make the folder " + folder);
    return kExitUsage;
  }
  for (const auto& [path, text] : newPluginFiles(name, kitAs.empty() ? kit : kitAs)) {
    std::ofstream out(folder + "/" + path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      say(STD_ERROR_HANDLE, "cannot write " + folder + "/" + path);
      return kExitUsage;
    }
  }
  const std::string build = folder + (folder.find('\\') != std::string::npos ? "\\build" : "/build");
  say(STD_OUTPUT_HANDLE, name + " written to " + folder + "; build it with: cmake -S " + folder + " -B " + build +
                             " && cmake --build " + build);
  return kExitOk;
}

}  // namespace standin::win
