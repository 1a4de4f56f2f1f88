#include "faults/dll_directory_hooks_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace standin::win {

namespace {

using AddFolder = void*(WINAPI*)(PCWSTR);
using RemoveFolder = BOOL(WINAPI*)(void*);
using SetDefaults = BOOL(WINAPI*)(DWORD);

SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<void*> g_added;
volatile LONG g_defaultsSet = 0;

// The system's own, called in the plug-in's place.
template <typename F>
F systemFunction(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

void* WINAPI addDllDirectory(PCWSTR folder) {
  const auto add = systemFunction<AddFolder>("AddDllDirectory");
  void* const cookie = add ? add(folder) : nullptr;
  if (!cookie) return cookie;
  AcquireSRWLockExclusive(&g_lock);
  g_added.push_back(cookie);
  ReleaseSRWLockExclusive(&g_lock);
  return cookie;
}

BOOL WINAPI removeDllDirectory(void* cookie) {
  const auto remove = systemFunction<RemoveFolder>("RemoveDllDirectory");
  const BOOL removed = remove ? remove(cookie) : FALSE;
  AcquireSRWLockExclusive(&g_lock);
  if (removed) g_added.erase(std::remove(g_added.begin(), g_added.end(), cookie), g_added.end());
  ReleaseSRWLockExclusive(&g_lock);
  return removed;
}

BOOL WINAPI setDefaultDllDirectories(DWORD flags) {
  InterlockedExchange(&g_defaultsSet, 1);
  const auto set = systemFunction<SetDefaults>("SetDefaultDllDirectories");
  return set ? set(flags) : FALSE;
}

}  // namespace

void* dllDirectoryImportRedirect(const char* name) {
  if (std::strcmp(name, "AddDllDirectory") == 0) return reinterpret_cast<void*>(&addDllDirectory);
  if (std::strcmp(name, "RemoveDllDirectory") == 0) return reinterpret_cast<void*>(&removeDllDirectory);
  if (std::strcmp(name, "SetDefaultDllDirectories") == 0) return reinterpret_cast<void*>(&setDefaultDllDirectories);
  return nullptr;
}

bool putBackDllDirectories() {
  AcquireSRWLockExclusive(&g_lock);
  std::vector<void*> added;
  added.swap(g_added);
  ReleaseSRWLockExclusive(&g_lock);
  const auto remove = systemFunction<RemoveFolder>("RemoveDllDirectory");
  for (void* cookie : added)
    if (remove) remove(cookie);
  return g_defaultsSet == 0;
}

}  // namespace standin::win
