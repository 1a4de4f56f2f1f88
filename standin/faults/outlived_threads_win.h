// A thread of the plug-in's that still runs after the plug-in's unload: one
// it started through its imports (plugin_threads_win.h), whether it has run
// yet or not, or one whose stack holds frames in the plug-in's code, which
// is gone.
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

// After FreeLibrary: ends the session (7) when a thread the plug-in started
// still runs, or any other thread has the unloaded plug-in's frames on its
// stack. The verdict names where the thread started, never its id.
void abandonForOutlivingThread();

}  // namespace standin::win
