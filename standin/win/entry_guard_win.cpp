#include "entry_guard_win.h"

#include "crash_report_win.h"
#include "loader_list_win.h"

namespace standin::win {

namespace {

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, void*);
EntryPoint g_pluginEntry = nullptr;

BOOL WINAPI guardedEntry(HINSTANCE module, DWORD reason, void* reserved) {
  const LONG before = faultsRecorded();
  const BOOL result = g_pluginEntry(module, reason, reserved);
  if (faultsRecorded() != before) forgetFault();
  return result;
}

}  // namespace

void guardEntryPoint(HMODULE plugin) {
  LoaderEntry* entry = loaderEntryOf(plugin);
  if (!entry || !entry->entryPoint || entry->entryPoint == reinterpret_cast<void*>(&guardedEntry)) return;
  g_pluginEntry = reinterpret_cast<EntryPoint>(entry->entryPoint);
  entry->entryPoint = reinterpret_cast<void*>(&guardedEntry);
}

}  // namespace standin::win
