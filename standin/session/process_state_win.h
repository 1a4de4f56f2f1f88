// What a session may change in its process that the system keeps for the
// process's life, read before a served session and put back after it: the
// environment (the system's block and each loaded C runtime's copy), each
// loaded C runtime's locale, the DLL search (SetDllDirectory and what the
// plug-in added through its imports), the error mode. A fresh process
// starts with them as the served one started; the next session must too.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace standin::win {

struct RuntimeState {
  HMODULE module = nullptr;
  std::vector<std::string> environment;  // its _environ, sorted
  std::string locale;                    // setlocale(LC_ALL, NULL)
};

struct ProcessState {
  std::map<std::wstring, std::wstring> environment;
  std::vector<RuntimeState> runtimes;  // those loaded when it was read
  std::wstring dllDirectory;
  UINT errorMode = 0;
};

ProcessState readProcessState();

// Puts back what the session changed; what could not be put back, named for
// the sentence that says what the session left ("the environment").
std::vector<std::string> putBackProcessState(const ProcessState& was);

}  // namespace standin::win
