#include "session/process_state_win.h"

#include <algorithm>
#include <clocale>
#include <cwchar>

#include "faults/dll_directory_hooks_win.h"

namespace standin::win {

namespace {

// The C runtimes a plug-in may share with the stand-in or bring along; each
// keeps an environment and a locale of its own.
const char* const kRuntimes[] = {"msvcrt.dll", "ucrtbase.dll"};

using EnvironPointer = char*** (*)();
using PutEnv = int (*)(const char*);
using SetLocale = char* (*)(int, const char*);

template <typename F>
F runtimeFunction(HMODULE runtime, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(runtime, name)));
}

std::map<std::wstring, std::wstring> systemEnvironment() {
  std::map<std::wstring, std::wstring> variables;
  wchar_t* const block = GetEnvironmentStringsW();
  if (!block) return variables;
  for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
    // "=C:=C:\folder": the system's own for each drive's folder, not a variable.
    const wchar_t* equals = entry[0] == L'=' ? nullptr : wcschr(entry, L'=');
    if (equals) variables[std::wstring(entry, equals)] = equals + 1;
  }
  FreeEnvironmentStringsW(block);
  return variables;
}

std::vector<std::string> runtimeEnvironment(HMODULE runtime) {
  std::vector<std::string> entries;
  // ucrtbase gives its variable's place by a function, msvcrt of 64 bits by the variable itself.
  const EnvironPointer runtimeEnviron = runtimeFunction<EnvironPointer>(runtime, "__p__environ");
  char** const* variables =
      runtimeEnviron ? runtimeEnviron() : reinterpret_cast<char** const*>(GetProcAddress(runtime, "_environ"));
  if (variables && *variables)
    for (char** entry = *variables; *entry; ++entry)
      if ((*entry)[0] != '=') entries.emplace_back(*entry);
  // Its order is its own: a runtime may copy it afresh from the system's block at any _putenv.
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::string runtimeLocale(HMODULE runtime) {
  const auto setLocale = runtimeFunction<SetLocale>(runtime, "setlocale");
  const char* locale = setLocale ? setLocale(LC_ALL, nullptr) : nullptr;
  return locale ? locale : "";
}

std::wstring dllDirectory() {
  wchar_t folder[MAX_PATH * 2] = L"";
  const DWORD length = GetDllDirectoryW(MAX_PATH * 2, folder);
  return length < MAX_PATH * 2 ? std::wstring(folder, length) : std::wstring();
}

std::string nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

void putBackRuntimeEnvironment(HMODULE runtime, const std::vector<std::string>& was) {
  const auto putEnv = runtimeFunction<PutEnv>(runtime, "_putenv");
  if (!putEnv) return;
  std::map<std::string, std::string> wanted;
  for (const std::string& entry : was) wanted[nameOf(entry)] = entry;
  for (const std::string& entry : runtimeEnvironment(runtime))
    if (!wanted.count(nameOf(entry))) putEnv((nameOf(entry) + "=").c_str());
  const std::vector<std::string> now = runtimeEnvironment(runtime);
  for (const std::string& entry : was)
    if (std::find(now.begin(), now.end(), entry) == now.end()) putEnv(entry.c_str());
}

void putBackSystemEnvironment(const std::map<std::wstring, std::wstring>& was) {
  for (const auto& [name, value] : systemEnvironment())
    if (!was.count(name)) SetEnvironmentVariableW(name.c_str(), nullptr);
  for (const auto& [name, value] : was) SetEnvironmentVariableW(name.c_str(), value.c_str());
}

}  // namespace

ProcessState readProcessState() {
  ProcessState state;
  state.environment = systemEnvironment();
  for (const char* name : kRuntimes)
    if (const HMODULE runtime = GetModuleHandleA(name))
      state.runtimes.push_back({runtime, runtimeEnvironment(runtime), runtimeLocale(runtime)});
  state.dllDirectory = dllDirectory();
  state.errorMode = GetErrorMode();
  return state;
}

std::vector<std::string> putBackProcessState(const ProcessState& was) {
  std::vector<std::string> notPutBack;
  bool environment = true, locale = true;
  HMODULE unused = nullptr;
  // A runtime's _putenv may copy the whole block into its own: the block is
  // put back before, and again after, as their _putenv set it too.
  putBackSystemEnvironment(was.environment);
  for (const RuntimeState& runtime : was.runtimes) {
    // One the session unloaded is not called; the count of modules tells that it went.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(runtime.module), &unused) || unused != runtime.module)
      continue;
    putBackRuntimeEnvironment(runtime.module, runtime.environment);
    environment = environment && runtimeEnvironment(runtime.module) == runtime.environment;
    if (runtimeLocale(runtime.module) != runtime.locale) {
      const auto setLocale = runtimeFunction<SetLocale>(runtime.module, "setlocale");
      if (setLocale) setLocale(LC_ALL, runtime.locale.c_str());
      locale = locale && runtimeLocale(runtime.module) == runtime.locale;
    }
  }
  putBackSystemEnvironment(was.environment);
  if (!environment || systemEnvironment() != was.environment) notPutBack.push_back("the environment");
  if (!locale) notPutBack.push_back("the locale");
  // "" is no directory set and one set to "", which are told apart nowhere:
  // set to what the stand-in had, unset unless it set one.
  SetDllDirectoryW(was.dllDirectory.empty() ? nullptr : was.dllDirectory.c_str());
  if (!putBackDllDirectories() || dllDirectory() != was.dllDirectory) notPutBack.push_back("the DLL directory");
  SetErrorMode(was.errorMode);
  if (GetErrorMode() != was.errorMode) notPutBack.push_back("the error mode");
  return notPutBack;
}

}  // namespace standin::win
