#include "standin_host.h"

#include <cstring>

#include "game_text_hash.h"
#include "native_names.h"
#include "quoted_text.h"

namespace standin {

StandinHost& StandinHost::instance() {
  static StandinHost host;
  return host;
}

StandinHost::StandinHost() { reset(); }

void StandinHost::reset() {
  answers_.clear();
  textArguments_.clear();
  for (const auto& known : knownTextArguments()) textArguments_.insert(known);
  outArguments_.clear();
  for (const auto& known : knownOutArguments()) outArguments_.insert(known);
  events_.clear();
  callsInFrame_.clear();
  frame_ = 1;
  gameTimeMs_ = 0;
  recording_ = true;
  module_ = nullptr;
  script_ = nullptr;
  keyboardHandler_ = nullptr;
  pendingHash_ = 0;
  pendingArgs_.clear();
  callBegun_ = pushesDropped_ = false;
  allowed_.clear();
  ruleTallies_.clear();
  onCall = nullptr;
  onViolation = nullptr;
}

void StandinHost::declareTextArgument(std::uint64_t hash, unsigned argumentIndex) {
  textArguments_.insert({hash, argumentIndex});
}

bool StandinHost::isTextArgument(std::uint64_t hash, unsigned argumentIndex) const {
  return isArgument(textArguments_, ValueKind::Text, hash, argumentIndex, nativeSignature(hash));
}

bool StandinHost::isArgument(const std::set<std::pair<std::uint64_t, unsigned>>& declared, ValueKind kind,
                             std::uint64_t hash, unsigned argumentIndex, const NativeSignature* signature) {
  return declared.count({hash, argumentIndex}) != 0 || declaresSlot(signature, argumentIndex, kind);
}

void StandinHost::declareOutArgument(std::uint64_t hash, unsigned argumentIndex) {
  outArguments_.insert({hash, argumentIndex});
}

bool StandinHost::isOutArgument(std::uint64_t hash, unsigned argumentIndex) const {
  return isArgument(outArguments_, ValueKind::Out, hash, argumentIndex, nativeSignature(hash));
}

std::vector<HostEvent> StandinHost::takeEvents() {
  std::vector<HostEvent> taken;
  taken.swap(events_);
  return taken;
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
  const KeyboardHandler handler = keyboardHandler_;
  if (!handler) event.detail = "no handler";
  record(std::move(event));
  if (handler) handler(keyCode, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
}

std::vector<HostEvent> StandinHost::calls() const {
  std::vector<HostEvent> result;
  for (const auto& event : events_)
    if (event.kind == EventKind::Call) result.push_back(event);
  return result;
}

void StandinHost::record(HostEvent event) {
  if (!recording_) return;
  event.frame = frame_;
  events_.push_back(std::move(event));
}

void StandinHost::recordRegistration(EventKind kind, const void* pointer) {
  HostEvent event;
  event.kind = kind;
  event.pointer = pointer;
  record(std::move(event));
}

void StandinHost::violate(const RuleBreach& breach) {
  if (allowed_.count(breach.rule)) return;
  RuleTally& tally = ruleTallies_[{breach.rule, breach.native}];
  if (tally.times++ == 0) {
    tally.firstFrame = frame_;
    tally.first = breach;
  }
  HostEvent event;
  event.kind = EventKind::Misuse;
  event.detail = std::string(ruleId(breach.rule)) + ": " + ruleMessage(breach);
  record(std::move(event));
  if (onViolation) onViolation(breach);
}

void StandinHost::scriptRegister(const void* module, ScriptEntry entry) {
  if (script_ && module == module_) {
    RuleBreach breach(Rule::RegisterTwice);
    breach.act = "scriptRegister for a module whose script";
    breach.undo = "scriptUnregister";
    violate(breach);
  }
  module_ = module;
  script_ = entry;
  recordRegistration(EventKind::ScriptRegister, module);
}

void StandinHost::scriptUnregister(const void* module) {
  if (module == module_) script_ = nullptr;
  recordRegistration(EventKind::ScriptUnregister, module);
}

void StandinHost::keyboardHandlerRegister(KeyboardHandler handler) {
  if (keyboardHandler_) {
    RuleBreach breach(Rule::RegisterTwice);
    breach.act = "keyboardHandlerRegister while a handler";
    breach.undo = "keyboardHandlerUnregister";
    violate(breach);
  }
  keyboardHandler_ = handler;
  recordRegistration(EventKind::KeyboardRegister, reinterpret_cast<const void*>(handler));
}

void StandinHost::keyboardHandlerUnregister(KeyboardHandler handler) {
  if (handler == keyboardHandler_) keyboardHandler_ = nullptr;
  recordRegistration(EventKind::KeyboardUnregister, reinterpret_cast<const void*>(handler));
}

void StandinHost::scriptWait(std::uint32_t milliseconds) {
  HostEvent event;
  event.kind = EventKind::Wait;
  event.waitMs = milliseconds;
  record(std::move(event));
  gameTimeMs_ += milliseconds;
  if (milliseconds == 0) ++frame_;
}

void StandinHost::nativeInit(std::uint64_t hash) {
  if (callBegun_) violateBy(Rule::InitWhilePending, pendingHash_, "nativeInit(" + hex(hash, 16) + ")", pendingArgs_.size());
  pendingHash_ = hash;
  pendingArgs_.clear();
  callBegun_ = true;
  pushesDropped_ = false;
}

void StandinHost::nativePush64(std::uint64_t value) {
  if (!callBegun_) violateBy(Rule::CallWithoutInit, 0, "nativePush64(" + hex(value, 16) + ")");
  if (pendingArgs_.size() < kMostPushes) {
    pendingArgs_.push_back(value);
  } else if (!pushesDropped_) {
    pushesDropped_ = true;
    violateBy(Rule::PushBound, pendingHash_, "", kMostPushes);
  }
}

void StandinHost::checkPerformedCall(const HostEvent& event, const NativeSignature* signature) {
  if (!callBegun_) violateBy(Rule::CallWithoutInit, 0, "nativeCall()");
  if (!callBegun_ || pushesDropped_ || !signature) return;
  checkDeclaredArguments(event.hash, *signature);
}

void StandinHost::checkDeclaredArguments(std::uint64_t native, const NativeSignature& signature) {
  RuleBreach fault;
  if (checkArguments(native, pendingArgs_, signature, fault)) violate(fault);
}

void StandinHost::violateBy(Rule rule, std::uint64_t native, std::string act, std::size_t pushes) {
  RuleBreach breach(rule, native);
  breach.act = std::move(act);
  breach.pushes = pushes;
  violate(breach);
}

void StandinHost::answer(const Answer& scripted, HostEvent& event) {
  std::memcpy(resultSlots_, scripted.slots, sizeof scripted.slots);
  for (const auto& [index, value] : scripted.outWrites) {
    if (index >= pendingArgs_.size() || pendingArgs_[index] == 0) continue;
    auto* target = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(pendingArgs_[index]));
    std::memcpy(target, &value, sizeof value);
    if (recording_) event.outWritten[index] = value;
  }
}

void StandinHost::noteArguments(HostEvent& event, const NativeSignature* signature) const {
  // A text is copied only up to this length: a trace line per call stays readable.
  constexpr std::size_t kLongestText = 4096;
  for (unsigned i = 0; i < pendingArgs_.size(); ++i) {
    if (pendingArgs_[i] == 0) continue;
    if (isArgument(textArguments_, ValueKind::Text, event.hash, i, signature)) {
      const char* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(pendingArgs_[i]));
      std::size_t length = 0;
      while (length < kLongestText && text[length] != '\0') ++length;
      event.texts[i].assign(text, length);
    } else if (isArgument(outArguments_, ValueKind::Out, event.hash, i, signature)) {
      event.outArgs.insert(i);
    }
  }
}

std::size_t StandinHost::nextCallInFrame(std::uint64_t hash) {
  CallCount& count = callsInFrame_[hash];
  if (count.frame != frame_) count = {frame_, 0};
  return count.calls++;
}

std::uint64_t* StandinHost::nativeCall() {
  HostEvent event;
  event.kind = EventKind::Call;
  event.hash = pendingHash_;
  // Looked up once a call: the check and the trace both need it.
  const NativeSignature* signature = nativeSignature(event.hash);
  checkPerformedCall(event, signature);
  callBegun_ = false;
  if (recording_) noteArguments(event, signature);
  std::memset(resultSlots_, 0, sizeof resultSlots_);
  const std::size_t callInFrame = nextCallInFrame(pendingHash_);
  if (const Answer* scripted = answers_.find(frame_, pendingHash_, callInFrame)) {
    answer(*scripted, event);
  } else if (pendingHash_ == kTextHashNative && !pendingArgs_.empty() && pendingArgs_[0] != 0) {
    resultSlots_[0] = gameTextHash(
        reinterpret_cast<const char*>(static_cast<std::uintptr_t>(pendingArgs_[0])));
  }
  std::memcpy(event.results, resultSlots_, sizeof event.results);
  // Copied, not moved: the pending vector keeps its capacity, so with
  // recording off a call allocates nothing.
  if (recording_) event.args = pendingArgs_;
  pendingArgs_.clear();
  record(std::move(event));
  if (onCall) onCall();
  return resultSlots_;
}

}  // namespace standin
