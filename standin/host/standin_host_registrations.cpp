// The plug-in's registrations: its script and keyboard handler, and the keys
// handed to the handler.
#include "host/standin_host.h"

namespace standin {

ScriptEntry StandinHost::registeredScript() const {
  HostGuard guard(lock_);
  return script_;
}

KeyboardHandler StandinHost::registeredKeyboardHandler() const {
  HostGuard guard(lock_);
  return keyboardHandler_;
}

const void* StandinHost::registeredModule() const {
  HostGuard guard(lock_);
  return module_;
}

void StandinHost::forgetRegistrations() {
  HostGuard guard(lock_);
  script_ = nullptr;
  keyboardHandler_ = nullptr;
}

void StandinHost::deliverKey(HostDword keyCode, HostWord repeats, HostByte scanCode,
                             HostBool isExtended, HostBool isWithAlt, HostBool wasDownBefore,
                             HostBool isUpNow) {
  HostEvent event;
  event.kind = EventKind::Key;
  event.args = {keyCode,
                repeats,
                scanCode,
                static_cast<std::uint32_t>(isExtended),
                static_cast<std::uint32_t>(isWithAlt),
                static_cast<std::uint32_t>(wasDownBefore),
                static_cast<std::uint32_t>(isUpNow)};
  KeyboardHandler handler = nullptr;
  {
    HostGuard guard(lock_);
    handler = keyboardHandler_;
    if (!handler) event.detail = "no handler";
    record(std::move(event));
  }
  if (handler) handler(keyCode, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
}

void StandinHost::recordRegistration(EventKind kind, const void* pointer) {
  HostEvent event;
  event.kind = kind;
  event.pointer = pointer;
  record(std::move(event));
}

// Whether a registration breaks REGISTER-TWICE is judged and told before
// it is made: a strict session ends there.
void StandinHost::registerOnce(bool registered, const char* act, const char* undo) {
  Told told;
  {
    HostGuard guard(lock_);
    if (registered) {
      RuleBreach breach(Rule::RegisterTwice);
      breach.act = act;
      breach.undo = undo;
      judge(breach, told);
    }
  }
  tell(told);
}

// A registration the host does not take, told before anything is recorded:
// a null function, a module or code not the plug-in's own, or a second
// module while its script is registered. What is not taken is never run
// and never expected to be unregistered.
bool StandinHost::refusedRegistration(const char* act, const void* module, const void* code, bool secondModule) {
  const char* foreign = code && foreignCode ? foreignCode(module, code) : nullptr;
  RuleBreach breach(code ? Rule::RegisterForeignModule : Rule::HandlerNull);
  breach.act = act;
  if (foreign) {
    breach.act += std::string(" ") + foreign;
  } else if (code && secondModule) {
    breach.act += " for a second module while its script is registered";
  } else if (code) {
    return false;
  }
  violate(breach);
  return true;
}

void StandinHost::scriptRegister(const void* module, ScriptEntry entry) {
  {
    HostGuard guard(lock_);
    registeredModules_.insert(module);
  }
  const bool registered = registeredScript() != nullptr;
  if (refusedRegistration("scriptRegister", module, reinterpret_cast<const void*>(entry),
                          registered && module != registeredModule()))
    return;
  registerOnce(registered, "scriptRegister for a module whose script", "scriptUnregister");
  HostGuard guard(lock_);
  module_ = module;
  script_ = entry;
  unloading_ = false;
  recordRegistration(EventKind::ScriptRegister, module);
}

void StandinHost::scriptUnregister(const void* module) {
  Told told;
  {
    HostGuard guard(lock_);
    if (!registeredModules_.count(module)) {
      RuleBreach breach(Rule::UnregisterUnknown);
      breach.act = "scriptUnregister for a module";
      judge(breach, told);
    } else if (module == module_ && script_ && !unloading_) {
      RuleBreach breach(Rule::ScriptUnregistered);
      breach.frame = frame_;
      judge(breach, told);
    }
  }
  tell(told);
  HostGuard guard(lock_);
  if (module == module_) script_ = nullptr;
  recordRegistration(EventKind::ScriptUnregister, module);
}

void StandinHost::keyboardHandlerRegister(KeyboardHandler handler) {
  const void* code = reinterpret_cast<const void*>(handler);
  {
    HostGuard guard(lock_);
    if (code) registeredHandlers_.insert(code);
  }
  if (refusedRegistration("keyboardHandlerRegister", registeredModule(), code, false)) return;
  registerOnce(registeredKeyboardHandler() != nullptr, "keyboardHandlerRegister while a handler",
               "keyboardHandlerUnregister");
  HostGuard guard(lock_);
  keyboardHandler_ = handler;
  recordRegistration(EventKind::KeyboardRegister, code);
}

void StandinHost::keyboardHandlerUnregister(KeyboardHandler handler) {
  const void* code = reinterpret_cast<const void*>(handler);
  Told told;
  {
    HostGuard guard(lock_);
    if (!registeredHandlers_.count(code)) {
      RuleBreach breach(Rule::UnregisterUnknown);
      breach.act = "keyboardHandlerUnregister of a handler";
      judge(breach, told);
    }
  }
  tell(told);
  HostGuard guard(lock_);
  if (handler == keyboardHandler_) keyboardHandler_ = nullptr;
  recordRegistration(EventKind::KeyboardUnregister, code);
}

}  // namespace standin
