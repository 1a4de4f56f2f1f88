// The plug-in's own output as trace lines: what it hands to
// OutputDebugStringA/W, and the lines it writes to stdout and stderr.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// The runner's own stdout or stderr: the plug-in's go elsewhere once caught.
HANDLE runnerOutput(DWORD stream);
// Where the runner's lines go from now on: a served process's next session's
// files; null for the process's own again. After catchPluginOutput.
void setRunnerOutput(HANDLE output, HANDLE errors);
// A line to the runner's standard output or error, as every line the runner
// writes; the summary is the watching runner's to write, once the process ended.
void writeLine(DWORD stream, const std::string& message);
// A line to the runner's standard error.
void report(const std::string& message);

// Sends stdout and stderr (the C runtime's descriptors 1 and 2, which the
// plug-in shares, and the process's handles) into a file the runner reads,
// and buffers the C runtime's streams so that a look at their buffers tells
// whether anything was written: the runner takes it from there at every
// call to the host. False when that cannot be done.
bool catchPluginOutput();

// The threads that run the plug-in's code for the session; the host records
// debug output on these alone, as they never run at once.
void noteSessionThread(DWORD threadId);
// A served process's runner thread, made anew for each session, in place of the last.
void noteRunnerThread(DWORD threadId);
bool onSessionThread();
bool isSessionThread(DWORD threadId);

// Records as debug lines what the plug-in wrote so far, a line each, the last
// one also without its line feed: what it writes before a call comes before
// the call. `all` looks into the file even when nothing seems written (what
// the plug-in wrote with WriteFile from a thread of its own, say).
void takePluginOutput(bool all);

// Records the text of OutputDebugStringA/W raised as `record`; false when it is none.
bool takeDebugString(const EXCEPTION_RECORD& record);
// Records a debug text the plug-in gave (UTF-8, without its line feed).
void takeDebugText(std::string text);

}  // namespace standin::win
