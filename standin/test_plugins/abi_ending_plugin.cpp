// Plug-ins that end a session one way each (ABI_ENDING selects it), built
// twice from this one source: by MinGW-w64 (abi_NAME.asi) and for
// Microsoft's C++ ABI (abi_NAME_msvc.asi, with its .pdb). The stand-in must
// give both the same verdict. Where it happens is read from place.txt, as
// the ending_* plug-ins read it: "script", "key", "load", "unload" or
// "thread" (one the script starts in frame 2 and waits for).
#include "abi_plugin_support.h"
#include "script_host.h"

#define ABI_THROW 1              // lets aim_lost ("the target went away") out
#define ABI_NOEXCEPT 2           // throws through a noexcept function: std::terminate, abort()
#define ABI_NOEXCEPT_FASTFAIL 3  // the same where std::terminate fails fast, as a static runtime's does
#define ABI_RETHROW 4            // catches aim_lost and throws it on with `throw;`
#define ABI_CAUGHT 5             // throws and catches, and checks what() came through: goes on
#define ABI_TWO_FACED 6          // lets out a type whose what() is not the text it stores
#define ABI_CRASH 7              // writes through a null pointer, three calls deep
#define ABI_OUTLIVE 8            // starts a thread that spins in its code through its unload
#define ABI_THROW_INT 9          // throw 42
#define ABI_THROW_TEXT 10        // throws a C string
#define ABI_RELOADS 11           // throws and catches once in each load: goes on through reloads
#define ABI_WHAT_FAULTS 12       // lets out a type whose what() faults
#define ABI_DAMAGED 13           // raises a throw of Microsoft's runtime whose record points nowhere

volatile uintptr_t g_nowhere = 0;

struct aim_lost : std::runtime_error {
  aim_lost() : std::runtime_error("the target went away") {}
};

struct two_faced : std::runtime_error {
  two_faced() : std::runtime_error("the text it stores") {}
  const char* what() const noexcept override { return "the text what() gives"; }
};

struct what_faults : std::runtime_error {
  what_faults() : std::runtime_error("the text it stores") {}
  const char* what() const noexcept override { return *reinterpret_cast<const char* const*>(g_nowhere); }
};

namespace {

char g_place[16] = "";

void readPlace() {
  const HANDLE file = CreateFileA("place.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD got = 0;
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, g_place, sizeof g_place - 1, &got, nullptr);
    CloseHandle(file);
  }
  g_place[got] = '\0';
}

bool placeIs(const char* place) {
  for (int i = 0; place[i] != '\0'; ++i)
    if (g_place[i] != place[i]) return false;
  return true;
}

bool same(const char* a, const char* b) {
  for (; *a == *b; ++a, ++b)
    if (*a == '\0') return true;
  return false;
}

volatile uintptr_t g_null = 0;
volatile int g_sink = 0;

__attribute__((noinline)) void inner() { *reinterpret_cast<volatile int*>(g_null) = 1; }
__attribute__((noinline)) void middle() {
  inner();
  g_sink = g_sink + 1;
}
__attribute__((noinline)) void outer() {
  middle();
  g_sink = g_sink + 1;
}

__attribute__((noinline)) void throwAimLost() { throw aim_lost(); }
__attribute__((noinline)) void throwsThrough() noexcept {
  throwAimLost();
  g_sink = g_sink + 1;
}

DWORD WINAPI spin(void*) {
  for (;;) g_sink = g_sink + 1;
}

// A wrong what(), or none, is a fault the session must see.
void catchAndCheck() {
  try {
    throwAimLost();
  } catch (const std::exception& caught) {
    if (!same(caught.what(), "the target went away")) inner();
  }
  try {
    throw 42;
  } catch (int number) {
    if (number != 42) inner();
  }
}

void end() {
  switch (ABI_ENDING) {
    case ABI_THROW: throwAimLost(); break;
    case ABI_NOEXCEPT:
    case ABI_NOEXCEPT_FASTFAIL: throwsThrough(); break;
    case ABI_RETHROW:
      try {
        throwAimLost();
      } catch (...) {
        g_sink = g_sink + 1;
        throw;
      }
      break;
    case ABI_CAUGHT: catchAndCheck(); break;
    case ABI_TWO_FACED: throw two_faced();
    case ABI_CRASH: outer(); break;
    case ABI_OUTLIVE: CloseHandle(CreateThread(nullptr, 0, &spin, nullptr, 0, nullptr)); break;
    case ABI_THROW_INT: throw 42;
    case ABI_THROW_TEXT: throw "out of ammunition";
    case ABI_WHAT_FAULTS: throw what_faults();
    case ABI_DAMAGED: {
      const uintptr_t record[4] = {0x19930520, 0x10, 0x20, 0x30};  // the magic number, then nowhere
      RaiseException(0xE06D7363, 1, 4, record);
      break;
    }
    default: break;
  }
  g_sink = g_sink + 1;
}

void tick() {
  nativeInit(0x1111);
  nativeCall();
}

void onKey(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool) {
  if (placeIs("key")) end();
  g_sink = g_sink + 1;
}

DWORD WINAPI endOnThread(void*) {
  end();
  return 0;
}

void script() {
  tick();
  if (ABI_ENDING == ABI_RELOADS) catchAndCheck();
  scriptWait(0);
  if (placeIs("script")) end();
  if (placeIs("thread")) {
    const HANDLE thread = CreateThread(nullptr, 0, &endOnThread, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  for (;;) {
    tick();
    scriptWait(0);
  }
}

}  // namespace

#if ABI_ENDING == ABI_NOEXCEPT_FASTFAIL
[[noreturn]] static void failFast() {
  asm volatile("int $0x29" : : "c"(7));
  for (;;) {
  }
}
#if defined(_MSC_VER)
// What std::terminate comes to in a runtime linked in statically: the
// import of the runtime DLL's is left unused.
extern "C" void __std_terminate() { failFast(); }
#else
#include <exception>
[[maybe_unused]] static const std::terminate_handler g_failsFast = std::set_terminate(&failFast);
#endif
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    readPlace();
    scriptRegister(module, script);
    keyboardHandlerRegister(onKey);
    if (placeIs("load")) end();
  } else if (reason == DLL_PROCESS_DETACH) {
    scriptUnregister(module);
    keyboardHandlerUnregister(onKey);
    if (placeIs("unload")) end();
  }
  return TRUE;
}
