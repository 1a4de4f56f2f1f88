// The host's eight functions for native test builds, answered by the
// recording stand-in.
#include "script_host.h"
#include "host/standin_host.h"

using standin::StandinHost;

extern "C" void scriptRegister(HostModule module, ScriptEntryFunction entry) {
  StandinHost::instance().scriptRegister(module, entry);
}
extern "C" void scriptUnregister(HostModule module) {
  StandinHost::instance().scriptUnregister(module);
}
extern "C" void scriptWait(HostDword milliseconds) {
  StandinHost::instance().scriptWait(milliseconds);
}
extern "C" void keyboardHandlerRegister(KeyboardHandlerFunction handler) {
  StandinHost::instance().keyboardHandlerRegister(
handler);
}
extern "C" void keyboardHandlerUnregister(KeyboardHandlerFunction handler) {
  StandinHost::instance().keyboardHandlerUnregister(
handler);
}
extern "C" void nativeInit(std::uint64_t hash) { StandinHost::instance().nativeInit(hash); }
extern "C" void nativePush64(std::uint64_t value) { StandinHost::instance().nativePush64(value); }
extern "C" std::uint64_t* nativeCall() { return StandinHost::instance().nativeCall(); }
