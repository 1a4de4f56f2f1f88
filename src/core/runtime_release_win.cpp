// The host's reload key unloads and loads plug-ins again and again in one
// long game process, so an unload must give back what this load's static C++
// runtime took: the thread-local storage and the emergency pool it keeps
// for exception objects.
#include "core/runtime_release_win.h"

namespace {
bool g_processExiting = false;
}  // namespace

void skipRuntimeReleaseAtProcessExit() { g_processExiting = true; }

#if defined(__GNUC__)

#include <cstdlib>

#include "core/emulated_tls_win.h"

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;  // libstdc++: frees the emergency exception pool
}
#endif

namespace {

void releaseRuntime() {
  if (g_processExiting) return;
  releaseAllThreadStorage();
#if defined(__GLIBCXX__)
  __gnu_cxx::__freeres();
#endif
}

// Exit functions run last-registered first, and this one registers before
// any static constructor runs: at unload the release comes after every static
// destructor, when nothing in the library can throw any more.
__attribute__((constructor(101))) void registerRuntimeRelease() { std::atexit(releaseRuntime); }

}  // namespace

#endif
