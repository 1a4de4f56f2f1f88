// Under Wine the loader swallows an exception that leaves a plug-in's
// DllMain: FreeLibrary returns as if nothing happened. Whether DllMain
// returned tells an exception the plug-in caught from one that escaped.
#pragma once

#include <windows.h>

namespace standin::win {

// Before FreeLibrary: the loader calls the plug-in's entry point through the
// runner's, which forgets the faults recorded while it ran when it returns.
// A fault still recorded after FreeLibrary left DllMain, or a TLS callback,
// which the loader calls before DllMain and whose exceptions it swallows too.
void guardEntryPoint(HMODULE plugin);

}  // namespace standin::win
