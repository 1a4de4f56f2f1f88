// The plug-in's own threads, known from the moment it starts them: its
// imports of CreateThread, and of the C runtimes' _beginthreadex and
// _beginthread, go through the stand-in's, which start the plug-in's
// function through a function of their own that notes when it returns. A
// thread is then found at the unload whether it has run yet or not, and
// whether or not a frame of the plug-in's is on its stack.
#pragma once

#include <windows.h>

namespace standin::win {

// The stand-in's function for an import of that name, or null; `bound`
// is what the loader bound it to, called in its place.
void* threadImportRedirect(const char* name, void* bound);

// Where the plug-in being loaded lies: only threads that start in it are its.
void notePluginImage(HMODULE plugin);

// The thread ends itself or is ended (ExitThread, _endthreadex, TerminateThread).
void notePluginThreadEnding(DWORD thread);

// After FreeLibrary: the first thread the plug-in started that still runs
// after a short grace (one that was on its way out has left by then), with
// the function it started at. False when none does.
bool outlivingPluginThread(DWORD& thread, ULONG_PTR& start);

// The function the plug-in started `thread` at, when it started it; else
// where the system says the thread started. 0 when neither is known.
ULONG_PTR pluginThreadStart(DWORD thread);

}  // namespace standin::win
