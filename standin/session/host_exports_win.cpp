// The eight host functions of the stand-in ScriptHookRDR2.dll; the .def file
// exports them under the decorated names that plug-ins import.
#include <string>

#include "script_host.h"
#include "faults/pending_faults_win.h"
#include "host/plugin_memory_win.h"
#include "faults/plugin_output_win.h"
#include "base/quoted_text.h"
#include "session/script_scheduler_win.h"
#include "session/session_win.h"
#include "host/standin_host.h"

using standin::StandinHost;
using standin::win::activeScheduler;

namespace {
// Every call to the host: the session goes on, and what the plug-in wrote
// before one that the trace shows comes before it in the trace.
void arrive(bool traced = true) {
  standin::win::heartbeat();
  standin::win::settlePendingHere();
  if (traced) standin::win::takePluginOutput(false);
}

bool inScript() {
  const auto* scheduler = activeScheduler();
  return scheduler && scheduler->inScript();
}

// The host judges a native from any other thread than the runner's and the
// keyboard's for itself, and what the plug-in's pointers lead to.
const bool g_sessionThreadsKnown = [] {
  StandinHost& host = StandinHost::instance();
  host.sessionThread = &standin::win::onSessionThread;
  host.pluginWritable = &standin::win::pluginWritable;
  host.foreignCode = &standin::win::foreignCode;
  return true;
}();

// Where the plug-in is when it calls from outside its script.
std::string whereOutsideScript() {
  if (!standin::win::onSessionThread()) return "on a thread of its own";
  return std::string("while ") + standin::win::progress().phase;
}

// Out of line: the calls that keep the rules run on the little stack a
// plug-in may have left, and the breach's fields would take it.
__attribute__((noinline)) void noteOutsideScript(standin::Rule rule, std::uint64_t native, const std::string& act = "") {
  standin::RuleBreach breach(rule, native);
  breach.act = act;
  breach.where = whereOutsideScript();
  StandinHost::instance().violate(breach);
}
}  // namespace

extern "C" void standinScriptRegister(HostModule module, ScriptEntryFunction entry) {
  arrive();
  StandinHost::instance().scriptRegister(module, entry);
}

extern "C" void standinScriptUnregister(HostModule module) {
  arrive();
  StandinHost::instance().scriptUnregister(module);
}

extern "C" void standinScriptWait(HostDword milliseconds) {
  arrive();
  // Only the script's fiber can be switched away from; anywhere else the
  // wait would return into the wrong code.
  if (!inScript()) {
    noteOutsideScript(standin::Rule::WaitOutsideScript, 0, "scriptWait(" + std::to_string(milliseconds) + ")");
    return;
  }
  StandinHost::instance().scriptWait(milliseconds);
  activeScheduler()->afterWait(milliseconds);
}

extern "C" void standinKeyboardHandlerRegister(KeyboardHandlerFunction handler) {
  arrive();
  StandinHost::instance().keyboardHandlerRegister(handler);
}

extern "C" void standinKeyboardHandlerUnregister(KeyboardHandlerFunction handler) {
  arrive();
  StandinHost::instance().keyboardHandlerUnregister(handler);
}

extern "C" void standinNativeInit(std::uint64_t hash) {
  arrive(false);
  StandinHost::instance().nativeInit(hash);
}

extern "C" void standinNativePush64(std::uint64_t value) {
  arrive(false);
  StandinHost::instance().nativePush64(value);
}

extern "C" std::uint64_t* standinNativeCall() {
  arrive();
  const bool fromScript = inScript();
  const std::uint64_t native = StandinHost::instance().pendingNative();
  if (!fromScript && standin::win::onSessionThread()) noteOutsideScript(standin::Rule::NativeOutsideScript, native);
  std::uint64_t* slots = StandinHost::instance().nativeCall();
  if (fromScript) activeScheduler()->afterCall();
  return slots;
}
