// Under Wine the loader swallows an exception that leaves a plug-in's
// DllMain: FreeLibrary returns as if nothing happened. Whether DllMain
// returned tells an exception the plug-in caught from one that escaped.
#pragma once

#include <windows.h>

#include <string>

namespace standin::win {

// The loader calls the plug-in's entry point and its TLS callbacks (whose
// exceptions it swallows too) through the runner's, which settle the faults
// raised while each ran when it returns. False when the loader has no entry
// point for it.
bool guardEntryPoint(HMODULE plugin);
// After LoadLibrary or FreeLibrary: whether the last call into the plug-in
// never returned. Its thread's pending faults are then certain.
bool entryEscaped();

// At load the loader tells the runner of the mapped plug-in before it runs
// its code (LdrRegisterDllNotification), so its code is guarded from the
// start. Once, before any load.
void listenForLoads();
// Around LoadLibrary of the plug-in with that file name (ASCII); the second
// tells whether the plug-in's entry point was guarded in time.
void awaitLoad(const std::string& fileName);
bool loadWasGuarded();

}  // namespace standin::win
