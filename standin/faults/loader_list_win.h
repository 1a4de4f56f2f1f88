// The loader's list of modules, read in place: asking the loader itself
// (GetModuleHandleEx, GetModuleFileName) waits on the loader lock, which a
// thread in a plug-in's DllMain holds.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace standin::win {

// The loader's record of a module, as far as the runner uses it: three
// lists, then the module's base, its entry point and its path.
struct LoaderEntry {
  LIST_ENTRY inLoadOrder;
  LIST_ENTRY inMemoryOrder;
  LIST_ENTRY inInitializationOrder;
  void* dllBase;
  void* entryPoint;
  ULONG sizeOfImage;
  UNICODE_STRING fullDllName;
};

// The record of the module loaded at `base`; null when there is none.
LoaderEntry* loaderEntryOf(const void* base);

}  // namespace standin::win
