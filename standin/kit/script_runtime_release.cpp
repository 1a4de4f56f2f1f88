// Reload safety for a script plug-in linked with the static MinGW runtime.
// The host's reload key unloads and loads plug-ins again and again in one
// long game process, so an unload must give back what this load's runtime
// took. Two things it keeps otherwise:
//  - GCC for MinGW emulates thread-local variables (libstdc++'s exception
//    state among them): each access asks __emutls_get_address for the
//    calling thread's copy. The runtime's own version keeps the copies under
//    a TLS index it takes at first use and never frees, so each load that
//    threw an exception or used a thread_local took one of the process's
//    TLS indexes for good (about 1,087 loads and the process aborts). This
//    version, linked in place of the runtime's, gives the index and every
//    thread's copies back.
//  - libstdc++'s emergency pool for exception objects (about 74 KB a load).
// Nothing is needed in the plug-in's DllMain: a TLS callback sees threads
// end, and the release runs from the runtime's exit list at unload.
//
// Link this file into the plug-in as a source or an object, never only from
// a static library: the linker would take the runtime's version of
// __emutls_get_address first, as nothing would ask for this one.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__GNUC__)

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++: frees the emergency exception pool
}
#endif

namespace {

// The compiler's description of one thread-local variable (GCC's layout).
struct EmulatedVariable {
  std::size_t size;
  std::size_t align;
  std::size_t index;         // 0 until first used, then its place + 1 in every thread's table
  const void* initialValue;  // null: zero-filled
};

// One thread's copies, by variable index - 1.
struct ThreadTable {
  ThreadTable* next;
  ThreadTable* previous;
  std::size_t capacity;
  void** copies;
};

// Guards the key, the index count and the list of tables; taken when a
// variable or a thread is first seen, not on every access.
SRWLOCK g_lock = SRWLOCK_INIT;
DWORD g_key = TLS_OUT_OF_INDEXES;
std::size_t g_variables = 0;
ThreadTable* g_tables = nullptr;

// Out of memory or TLS indexes inside the exception machinery: the runtime's
// own version ends the process here as well.
[[noreturn]] void fail() { std::abort(); }

void* allocateCopy(const EmulatedVariable& variable) {
  const std::size_t align = variable.align < sizeof(void*) ? sizeof(void*) : variable.align;
  void* const block = std::malloc(variable.size + align + sizeof(void*));
  if (!block) fail();
  // Aligned, with the start of the block kept just below the copy for free().
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
  void** const copy = reinterpret_cast<void**>((start + align - 1) & ~(std::uintptr_t{align} - 1));
  copy[-1] = block;
  if (variable.initialValue)
    std::memcpy(copy, variable.initialValue, variable.size);
  else
    std::memset(copy, 0, variable.size);
  return copy;
}

void freeTable(ThreadTable* table) {
  for (std::size_t i = 0; i < table->capacity; ++i)
    if (table->copies[i]) std::free(static_cast<void**>(table->copies[i])[-1]);
  std::free(table->copies);
  std::free(table);
}

void unlink(ThreadTable* table) {
  if (table->previous) table->previous->next = table->next;
  else g_tables = table->next;
  if (table->next) table->next->previous = table->previous;
}

// Makes the key and numbers the variable, once; gives the key.
DWORD prepare(EmulatedVariable& variable, std::size_t& index) {
  AcquireSRWLockExclusive(&g_lock);
  if (g_key == TLS_OUT_OF_INDEXES) {
    const DWORD key = TlsAlloc();
    if (key == TLS_OUT_OF_INDEXES) fail();
    __atomic_store_n(&g_key, key, __ATOMIC_RELEASE);
  }
  index = variable.index;
  if (index == 0) {
    index = ++g_variables;
    __atomic_store_n(&variable.index, index, __ATOMIC_RELEASE);
  }
  const DWORD key = g_key;
  ReleaseSRWLockExclusive(&g_lock);
  return key;
}

ThreadTable* newTable(DWORD key) {
  auto* const table = static_cast<ThreadTable*>(std::calloc(1, sizeof(ThreadTable)));
  if (!table) fail();
  AcquireSRWLockExclusive(&g_lock);
  table->next = g_tables;
  if (g_tables) g_tables->previous = table;
  g_tables = table;
  ReleaseSRWLockExclusive(&g_lock);
  if (!TlsSetValue(key, table)) fail();
  return table;
}

void grow(ThreadTable& table, std::size_t index) {
  const std::size_t capacity = index + 16;
  auto* const copies = static_cast<void**>(std::realloc(table.copies, capacity * sizeof(void*)));
  if (!copies) fail();
  std::memset(copies + table.capacity, 0, (capacity - table.capacity) * sizeof(void*));
  table.copies = copies;
  table.capacity = capacity;
}

}  // namespace

extern "C" void* __emutls_get_address(void* described) {
  auto* const variable = static_cast<EmulatedVariable*>(described);
  std::size_t index = __atomic_load_n(&variable->index, __ATOMIC_ACQUIRE);
  DWORD key = __atomic_load_n(&g_key, __ATOMIC_ACQUIRE);
  if (index == 0 || key == TLS_OUT_OF_INDEXES) key = prepare(*variable, index);
  // Reached between a failing Windows call and its GetLastError, as any
  // thread-local access can be.
  const DWORD lastError = GetLastError();
  auto* table = static_cast<ThreadTable*>(TlsGetValue(key));
  if (!table) table = newTable(key);
  if (index > table->capacity) grow(*table, index);
  void*& copy = table->copies[index - 1];
  if (!copy) copy = allocateCopy(*variable);
  SetLastError(lastError);
  return copy;
}

// For thread-local variables that are common symbols; kept so that nothing
// pulls in the runtime's version beside this one.
extern "C" void __emutls_register_common(void* described, std::size_t size, std::size_t align,
                                         void* initialValue) {
  auto* const variable = static_cast<EmulatedVariable*>(described);
  if (variable->size < size) {
    variable->size = size;
    variable->initialValue = nullptr;
  }
  if (variable->align < align) variable->align = align;
  if (initialValue && size == variable->size) variable->initialValue = initialValue;
}

namespace {

// Gives back the calling thread's storage; for a thread that ends.
void releaseThreadStorage() {
  const DWORD key = __atomic_load_n(&g_key, __ATOMIC_ACQUIRE);
  if (key == TLS_OUT_OF_INDEXES) return;
  auto* const table = static_cast<ThreadTable*>(TlsGetValue(key));
  if (!table) return;
  TlsSetValue(key, nullptr);
  AcquireSRWLockExclusive(&g_lock);
  unlink(table);
  ReleaseSRWLockExclusive(&g_lock);
  freeTable(table);
}

// Gives back every thread's storage and the TLS index, once nothing in the
// library runs any more. A later use would start afresh.
void releaseAllThreadStorage() {
  AcquireSRWLockExclusive(&g_lock);
  ThreadTable* table = g_tables;
  const DWORD key = g_key;
  g_tables = nullptr;
  __atomic_store_n(&g_key, TLS_OUT_OF_INDEXES, __ATOMIC_RELEASE);
  ReleaseSRWLockExclusive(&g_lock);
  // TlsFree also clears the index's value in every thread.
  if (key != TLS_OUT_OF_INDEXES) TlsFree(key);
  while (table) {
    ThreadTable* const next = table->next;
    freeTable(table);
    table = next;
  }
}

// At process exit the other threads have been cut off wherever they were,
// perhaps holding the lock above, and the system takes everything back
// anyway. The loader knows; a TLS callback's `reserved` does not tell under
// every loader. Looked up rather than imported, so the plug-in's imports
// stay what they were.
using ShutdownQuery = BOOLEAN(NTAPI*)();
ShutdownQuery g_shutdownInProgress = nullptr;

bool processIsExiting() { return g_shutdownInProgress != nullptr && g_shutdownInProgress() != 0; }

void releaseRuntime() {
  if (processIsExiting()) return;
  releaseAllThreadStorage();
#if defined(__GLIBCXX__)
  __gnu_cxx::__freeres();
#endif
}

// Exit functions run last-registered first, and this one registers before
// any static constructor of default priority runs: at unload the release
// comes after every static destructor, when nothing in the library can throw
// any more.
__attribute__((constructor(101))) void registerRuntimeRelease() {
  if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
    g_shutdownInProgress = reinterpret_cast<ShutdownQuery>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlDllShutdownInProgress")));
  std::atexit(releaseRuntime);
}

// A game thread that ran plug-in code and ends takes its storage with it.
void NTAPI onThreadNotification(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_DETACH) releaseThreadStorage();
}

}  // namespace

// The loader calls every pointer in the .CRT$XL* sections (between the
// runtime's own first and last) for each thread that starts or ends.
extern "C" __attribute__((section(".CRT$XLV"), used))
const PIMAGE_TLS_CALLBACK scriptRuntimeThreadNotification = onThreadNotification;

#endif
