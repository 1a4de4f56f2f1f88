#include "session/pdb_symbols_win.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstring>
#include <vector>

#include "session/session_win.h"
#include "faults/source_places.h"

namespace standin::win {

namespace {

// Where the module is put in the symbol library's view: any base will do.
constexpr DWORD64 kViewBase = 0x10000000;

template <typename Function>
Function entry(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string g_plugin;
std::string g_symbolsFolder;

}  // namespace

// Loaded by name, so that the session's process, which shares this DLL, never loads it.
struct PdbSymbols::Library {
  HMODULE module = LoadLibraryA("dbghelp.dll");
  HANDLE process = GetCurrentProcess();
  bool initialized = false;
  decltype(&SymSetOptions) setOptions = entry<decltype(&SymSetOptions)>(module, "SymSetOptions");
  decltype(&SymInitialize) initialize = entry<decltype(&SymInitialize)>(module, "SymInitialize");
  decltype(&SymCleanup) cleanup = entry<decltype(&SymCleanup)>(module, "SymCleanup");
  decltype(&SymLoadModuleEx) loadModule = entry<decltype(&SymLoadModuleEx)>(module, "SymLoadModuleEx");
  decltype(&SymGetModuleInfo64) moduleInfo = entry<decltype(&SymGetModuleInfo64)>(module, "SymGetModuleInfo64");
  decltype(&SymFromAddr) fromAddress = entry<decltype(&SymFromAddr)>(module, "SymFromAddr");
  decltype(&SymGetLineFromAddr64) lineFromAddress = entry<decltype(&SymGetLineFromAddr64)>(module, "SymGetLineFromAddr64");

  bool usable() const {
    return module && setOptions && initialize && cleanup && loadModule && moduleInfo && fromAddress && lineFromAddress;
  }
  ~Library() {
    if (initialized) cleanup(process);
    if (module) FreeLibrary(module);
  }
};

PdbSymbols::PdbSymbols(const std::string& plugin, const std::string& symbolsFolder)
    : library_(std::make_unique<Library>()) {
  Library& symbols = *library_;
  if (!symbols.usable()) return;
  symbols.setOptions(SYMOPT_UNDNAME | SYMOPT_LOAD_LINES | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS |
                     SYMOPT_EXACT_SYMBOLS);
  // The author's folder first; the library tries the debug directory's path itself.
  const std::string searchPath = (symbolsFolder.empty() ? "" : symbolsFolder + ";") + folderOf(plugin);
  symbols.initialized = symbols.initialize(symbols.process, searchPath.c_str(), FALSE) != FALSE;
  if (!symbols.initialized) return;
  const DWORD64 base = symbols.loadModule(symbols.process, nullptr, plugin.c_str(), nullptr, kViewBase, 0, nullptr, 0);
  IMAGEHLP_MODULE64 info{};
  info.SizeOfStruct = sizeof info;
  // Its exports alone would name the nearest export, which misleads.
  if (base != 0 && symbols.moduleInfo(symbols.process, base, &info) && info.SymType == SymPdb) base_ = base;
}

PdbSymbols::~PdbSymbols() = default;

std::string PdbSymbols::placeOf(std::uint64_t offset) const {
  if (base_ == 0) return "";
  const Library& symbols = *library_;
  const DWORD64 address = base_ + offset;
  alignas(SYMBOL_INFO) char buffer[sizeof(SYMBOL_INFO) + MAX_SYM_NAME];
  std::memset(buffer, 0, sizeof buffer);
  auto* symbol = reinterpret_cast<SYMBOL_INFO*>(buffer);
  symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
  symbol->MaxNameLen = MAX_SYM_NAME;
  DWORD64 displacement = 0;
  if (!symbols.fromAddress(symbols.process, address, &displacement, symbol)) return "";
  std::string place(symbol->Name, symbol->NameLen);
  IMAGEHLP_LINE64 line{};
  line.SizeOfStruct = sizeof line;
  DWORD column = 0;
  if (symbols.lineFromAddress(symbols.process, address, &column, &line) && line.FileName)
    place += " at " + fileNameOf(line.FileName) + ":" + std::to_string(line.LineNumber);
  return place;
}

void setSessionSymbols(const std::string& plugin, const std::string& symbolsFolder) {
  g_plugin = plugin;
  g_symbolsFolder = symbolsFolder;
}

std::string withPluginSourcePlaces(const std::string& message) {
  const std::string module = fileNameOf(g_plugin);
  if (g_plugin.empty() || message.find(module + "+0x") == std::string::npos) return message;
  const PdbSymbols symbols(g_plugin, g_symbolsFolder);
  if (!symbols.found()) return message;
  return withSourcePlaces(message, module, [&](std::uint64_t offset) { return symbols.placeOf(offset); });
}

const std::string& sessionSymbolsFolder() { return g_symbolsFolder; }

std::string pluginOfCommandLine(int argc, char** argv) {
  std::vector<const char*> words;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--usage") == 0) {
      ++i;
      continue;
    }
    if (std::strncmp(argv[i], "--", 2) == 0) return "";
    words.push_back(argv[i]);
  }
  return words.size() == 3 ? fullPath(words[1]) : "";
}

bool takeSymbolsOption(int& argc, char** argv, std::string& folder) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--symbols") != 0) continue;
    if (i + 1 >= argc) return false;
    folder = argv[i + 1];
    for (int j = i + 2; j < argc; ++j) argv[j - 2] = argv[j];
    argc -= 2;
    return true;
  }
  return true;
}

}  // namespace standin::win
