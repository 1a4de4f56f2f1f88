#include "faults/loader_list_win.h"

namespace standin::win {

namespace {

// The process's PEB, from the thread's TEB (GCC's __readgsqword trips its own
// bounds warning).
const PEB* processBlock() {
  const PEB* peb = nullptr;
  asm("movq %%gs:0x60, %0" : "=r"(peb));
  return peb;
}

}  // namespace

LoaderEntry* loaderEntryOf(const void* base) {
  const PEB* peb = processBlock();
  LIST_ENTRY* head = &peb->Ldr->InMemoryOrderModuleList;
  for (LIST_ENTRY* link = head->Flink; link && link != head; link = link->Flink) {
    auto* entry = CONTAINING_RECORD(link, LoaderEntry, inMemoryOrder);
    if (entry->dllBase == base) return entry;
  }
  return nullptr;
}

}  // namespace standin::win
