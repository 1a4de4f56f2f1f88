// Some of the plug-in's imports go to the stand-in's own functions, where
// the system would not tell the stand-in what the plug-in did: it ended a
// thread the host runs it on (ExitThread, TerminateThread), unloaded itself
// (FreeLibrary), failed fast (RaiseFailFastException, which no handler
// sees), gave a wide debug text (OutputDebugStringW, which Wine narrows to
// the ANSI code page), or faulted inside its own vectored exception handler
// (AddVectoredExceptionHandler, whose handlers run before the stand-in's).
// Its unhandled-exception filter is kept aside, and the threads it starts
// are known (plugin_threads_win.h).
#pragma once

#include <windows.h>

namespace standin::win {

// Points the plug-in's import table at the stand-in's functions; once the
// loader has bound the imports (before the plug-in's TLS callbacks and
// DllMain run), and again harmlessly.
void redirectPluginImports(HMODULE plugin);
// What the first redirection makes for the process's life, made now.
void prepareImportRedirects();

// Whether the plug-in set an unhandled-exception filter and left it set.
bool pluginLeftAFilter();

}  // namespace standin::win
