// The plug-in's registrations: its script and keyboard handler, and the keys
// handed to the handler.
#include "standin_host.h"

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

void StandinHost::scriptRegister(const void* module, ScriptEntry entry) {
  registerOnce(registeredScript() && module == registeredModule(), "scriptRegister for a module whose script",
               "scriptUnregister");
  HostGuard guard(lock_);
  module_ = module;
  script_ = entry;
  recordRegistration(EventKind::ScriptRegister, module);
}

void StandinHost::scriptUnregister(const void* module) {
  HostGuard guard(lock_);
  if (module == module_) script_ = nullptr;
  recordRegistration(EventKind::ScriptUnregister, module);
}

void StandinHost::keyboardHandlerRegister(KeyboardHandler handler) {
  registerOnce(registeredKeyboardHandler() != nullptr, "keyboardHandlerRegister while a handler",
               "keyboardHandlerUnregister");
  HostGuard guard(lock_);
  keyboardHandler_ = handler;
  recordRegistration(EventKind::KeyboardRegister, reinterpret_cast<const void*>(handler));
}

void StandinHost::keyboardHandlerUnregister(KeyboardHandler handler) {
  HostGuard guard(lock_);
  if (handler == keyboardHandler_) keyboardHandler_ = nullptr;
  recordRegistration(EventKind::KeyboardUnregister, reinterpret_cast<const void*>(handler));
}

}  // namespace standin
