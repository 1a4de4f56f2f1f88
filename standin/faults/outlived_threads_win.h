// A thread of the plug-in's that still runs after the plug-in's unload: its
// stack holds frames in the plug-in's code, which is gone. std::thread
// starts its threads inside the C runtime, so a thread is the plug-in's by
// the frames on its stack, not by where it started.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// Where the plug-in lies, noted before FreeLibrary; forgotten at the next load.
void notePluginUnloading(HMODULE plugin);
// After FreeLibrary: whether it unmapped the plug-in, which then counts as gone.
bool notePluginGone();
void forgetUnloadedPlugin();
// The unloaded plug-in's base and file name when `address` lies where it was.
bool unloadedPluginAt(const void* address, const void*& base, const char*& name);

// "a thread outlived the plug-in's unload ..." when the thread of `context`
// stands in the unloaded plug-in's code or has its frames on its stack;
// empty otherwise.
std::string outlivedMessage(const CONTEXT& context, DWORD thread);

// After FreeLibrary: ends the session (7) when any other thread has the
// unloaded plug-in's frames on its stack.
void abandonForOutlivingThread();

}  // namespace standin::win
