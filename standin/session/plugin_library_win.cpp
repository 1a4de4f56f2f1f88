#include "session/plugin_library_win.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "faults/outlived_threads_win.h"
#include "session/pe_imports.h"

namespace standin::win {

namespace {

std::string systemMessage(DWORD code) {
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  const bool readable = !message.empty() && message.find('%') == std::string::npos;
  return "error " + std::to_string(code) + (readable ? ": " + message : "");
}

bool libraryIsThere(const std::string& library) {
  if (GetModuleHandleA(library.c_str())) return true;
  char found[MAX_PATH];
  return SearchPathA(nullptr, library.c_str(), nullptr, MAX_PATH, found, nullptr) != 0;
}

// What the loader could not find, from the plug-in's own import table.
std::string diagnoseImports(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<ImportedLibrary> imports;
  if (!readPeImports(bytes, imports)) return "it is not a 64-bit Windows DLL";
  std::vector<std::string> missing;
  for (const auto& library : imports) {
    if (!libraryIsThere(library.library)) {
      missing.push_back("needs " + library.library + ", which is not there");
      continue;
    }
    const HMODULE loaded = GetModuleHandleA(library.library.c_str());
    for (const auto& name : library.names)
      if (loaded && name[0] != '#' && !GetProcAddress(loaded, name.c_str()))
        missing.push_back("imports " + name + " from " + library.library + ", which does not export it");
  }
  if (missing.empty()) return "";
  std::string text = "it " + missing[0];
  for (std::size_t i = 1; i < missing.size() && i < 4; ++i) text += "; it " + missing[i];
  if (missing.size() > 4) text += "; and " + std::to_string(missing.size() - 4) + " more";
  return text;
}

}  // namespace

HMODULE loadPlugin(const std::string& path, std::string& cause) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    cause = "no such file";
    return nullptr;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    cause = "it is a folder";
    return nullptr;
  }
  // Checked before loading: Windows refuses such a plug-in, but Wine would
  // load it and stop only when the missing function is called.
  cause = diagnoseImports(path);
  if (!cause.empty()) return nullptr;
  forgetUnloadedPlugin();
  const HMODULE module = LoadLibraryA(path.c_str());
  if (!module) {
    const DWORD error = GetLastError();
    cause = systemMessage(error);
    SetLastError(error);
  }
  return module;
}

void freePlugin(HMODULE plugin) {
  notePluginUnloading(plugin);
  FreeLibrary(plugin);
  notePluginGone();
}

}  // namespace standin::win
