// The host's eight functions for the fault tests: the recording stand-in,
// whose own allocations are the game's and never fail.
#include "failing_allocator.h"
#include "script_host.h"
#include "host/standin_host.h"

using failing_allocator::Exempt;
using standin::StandinHost;

extern "C" void scriptRegister(HostModule module, ScriptEntryFunction entry) {
  Exempt game;
  StandinHost::instance().scriptRegister(module, entry);
}
extern "C" void scriptUnregister(HostModule module) {
  Exempt game;
  StandinHost::instance().scriptUnregister(module);
}
extern "C" void scriptWait(HostDword milliseconds) {
  Exempt game;
  StandinHost::instance().scriptWait(milliseconds);
}
extern "C" void keyboardHandlerRegister(KeyboardHandlerFunction handler) {
  Exempt game;
  StandinHost::instance().keyboardHandlerRegister(handler);
}
extern "C" void keyboardHandlerUnregister(KeyboardHandlerFunction handler) {
  Exempt game;
  StandinHost::instance().keyboardHandlerUnregister(handler);
}
extern "C" void nativeInit(std::uint64_t hash) {
  Exempt game;
  StandinHost::instance().nativeInit(hash);
}
extern "C" void nativePush64(std::uint64_t value) {
  Exempt game;
  StandinHost::instance().nativePush64(value);
}
extern "C" std::uint64_t* nativeCall() {
  Exempt game;
  return StandinHost::instance().nativeCall();
}
