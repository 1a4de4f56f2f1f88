// The eight host functions of the stand-in ScriptHookRDR2.dll; the .def file
// exports them under the decorated names that plug-ins import.
#include <string>

#include "host/host_interface.h"
#include "quoted_text.h"
#include "script_scheduler_win.h"
#include "session_win.h"
#include "standin_host.h"

using standin::StandinHost;
using standin::win::activeScheduler;
using standin::win::heartbeat;

namespace {
bool inScript() {
  const auto* scheduler = activeScheduler();
  return scheduler && scheduler->inScript();
}

// Where the plug-in is when it calls from outside its script.
std::string whereOutsideScript() {
  const auto& progress = standin::win::progress();
  const DWORD thread = GetCurrentThreadId();
  if (thread != progress.runnerThread && thread != progress.keyThread) return "on a thread of its own";
  return std::string("while ") + progress.phase;
}

void noteOutsideScript(standin::Rule rule, const std::string& what, std::uint64_t native = 0) {
  StandinHost::instance().violate(rule, what + " outside the script, " + whereOutsideScript(), native);
}
}  // namespace

extern "C" void standinScriptRegister(HostModule module, ScriptEntryFunction entry) {
  heartbeat();
  StandinHost::instance().scriptRegister(module, entry);
}

extern "C" void standinScriptUnregister(HostModule module) {
  heartbeat();
  StandinHost::instance().scriptUnregister(module);
}

extern "C" void standinScriptWait(HostDword milliseconds) {
  heartbeat();
  // Only the script's fiber can be switched away from; anywhere else the
  // wait would return into the wrong code.
  if (!inScript()) {
    noteOutsideScript(standin::Rule::WaitOutsideScript, "scriptWait(" + std::to_string(milliseconds) + ")");
    return;
  }
  StandinHost::instance().scriptWait(milliseconds);
  activeScheduler()->afterWait(milliseconds);
}

extern "C" void standinKeyboardHandlerRegister(KeyboardHandlerFunction handler) {
  heartbeat();
  StandinHost::instance().keyboardHandlerRegister(handler);
}

extern "C" void standinKeyboardHandlerUnregister(KeyboardHandlerFunction handler) {
  heartbeat();
  StandinHost::instance().keyboardHandlerUnregister(handler);
}

extern "C" void standinNativeInit(std::uint64_t hash) {
  heartbeat();
  StandinHost::instance().nativeInit(hash);
}

extern "C" void standinNativePush64(std::uint64_t value) {
  heartbeat();
  StandinHost::instance().nativePush64(value);
}

extern "C" std::uint64_t* standinNativeCall() {
  heartbeat();
  const bool fromScript = inScript();
  const std::uint64_t native = StandinHost::instance().pendingNative();
  if (!fromScript) noteOutsideScript(standin::Rule::NativeOutsideScript, "native " + standin::hex(native, 16) + " called", native);
  std::uint64_t* slots = StandinHost::instance().nativeCall();
  if (fromScript) activeScheduler()->afterCall();
  return slots;
}
