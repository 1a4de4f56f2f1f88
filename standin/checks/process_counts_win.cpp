#include "checks/process_counts_win.h"

#include <psapi.h>

#include <algorithm>
#include <vector>

namespace standin::win {

namespace {

using QuerySystem = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

QuerySystem querySystem() {
  static const auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  return query;
}

// The start of one process's entry in the system's list of processes.
struct ProcessEntry {
  ULONG next;
  ULONG threads;
  BYTE unused[0x38 - 8];
  PVOID imageNameLength;  // a UNICODE_STRING's head, then its buffer
  PVOID imageName;
  LONG basePriority;
  HANDLE process;
  HANDLE parent;
  ULONG handleTable;  // under Wine the size of its table of handles, not their count
};

}  // namespace

// A snapshot of threads costs Wine far more than the list of processes.
bool countThreads(DWORD& threads, DWORD& handleTable) {
  static std::vector<unsigned char> buffer(1 << 18);
  const QuerySystem query = querySystem();
  for (int tries = 0; query && tries < 8; ++tries) {
    ULONG needed = 0;
    const LONG status = query(5 /* processes */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != 0) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 65536));
      continue;
    }
    for (std::size_t at = 0;;) {
      const auto* entry = reinterpret_cast<const ProcessEntry*>(buffer.data() + at);
      if (reinterpret_cast<ULONG_PTR>(entry->process) == GetCurrentProcessId()) {
        threads = entry->threads;
        handleTable = entry->handleTable;
        return true;
      }
      if (entry->next == 0) return false;
      at += entry->next;
    }
  }
  return false;
}

// Under Wine a process's own count of its handles is always 0. Asking for
// the system's list of every process's handles crashed Wine's server now and
// then while other processes came and went, and with it every process of the
// prefix: each slot of the process's own table is asked after instead.
DWORD countHandles(DWORD tableSize) {
  DWORD own = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &own) && own != 0) return own;
  DWORD count = 0;
  for (DWORD slot = 1; slot <= tableSize; ++slot) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(slot) * 4), &flags)) ++count;
  }
  return count;
}

DWORD countOwnHandles() {
  DWORD threads = 0, handleTable = 0;
  return countThreads(threads, handleTable) ? countHandles(handleTable) : ~0u;
}

DWORD countModules() {
  HMODULE modules[1024];
  DWORD bytes = 0;
  return K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes) ? bytes / sizeof(HMODULE) : ~0u;
}

}  // namespace standin::win
