// The stand-in runner: plays a scenario with a plug-in loaded into this process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/exit_codes.h"
#include "base/full_path_win.h"
#include "base/protocol_rules.h"
#include "channel/session_channel_win.h"
#include "channel/session_phase_win.h"
#include "faults/abandon_win.h"
#include "faults/plugin_output_win.h"

namespace standin {
struct Scenario;
}

namespace standin::win {

class ScriptScheduler;


// The scheduler while frames are played, null before and after.
ScriptScheduler* activeScheduler();


// "N frames played, M native calls; trace in PATH".
std::string summaryLine(std::uint64_t frames, std::uint64_t calls, const std::string& tracePath);
// Saves what the trace holds when a verdict ends the process early.
void saveTraceSoFar();


// In the session's process, started by the watching runner: plays the session.
int runSession(int argc, char** argv);
// What every session of the process shares, made once: the fault handlers,
// the catch of the plug-in's output.
void prepareSessionProcess();
// A process served session after session by its runner plays each it is
// given while the last left the process as it found it; the last one's code.
int runServedSessions();

// Plays the scenario's frames with the plug-in, loading it and reloading it
// where the scenario says; the session's exit code.
int playLoaded(const Scenario& scenario, const std::string& pluginPath);

// A session that broke a host rule under `strict` ends here.
void endStrictSession(const RuleBreach& breach);

// The tools that read files and play nothing: no process of their own to
// watch. -1 when the command line asks for none of them.
int runTool(int argc, char** argv);

// standin.exe --suite [-j N] [--junit FILE] [--traces DIR] PLUGIN SCENARIO|FOLDER...:
// each scenario played by a runner of its own; 0 when all passed.
int runSuite(int argc, char** argv);

}  // namespace standin::win
