// One chaos session played in a child process: standin.exe with the
// session's scenario, as any author would play it.
#pragma once

#include <windows.h>

#include <string>

#include "chaos/chaos_verdict.h"

namespace standin::chaos {

struct SessionFiles {
  std::string scenario;  // written before the play
  std::string trace;
  std::string errors;    // what the stand-in wrote to standard error
};

// Writes `scenarioText` and plays it with the plug-in; the verdict, or code
// -1 with a message when the child could not be started.
Verdict playInChild(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files,
                    const std::string& scenarioText);

// The same with the scenario that is in `files.scenario` already.
Verdict playFileInChild(const std::string& standinExe, const std::string& pluginPath, const SessionFiles& files);

// Held while a child is started: only its own handles are inheritable then.
SRWLOCK& childStartLock();

// The whole file, or empty.
std::string fileText(const std::string& path);
bool writeFileText(const std::string& path, const std::string& text);

}  // namespace standin::chaos
