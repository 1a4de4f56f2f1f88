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
  HostGuard guard(lock_);
  // Every thread's call from before is forgotten as the thread next calls.
  ++generation_;
  resetThread_ = hostThreadId();
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

StandinHost::ThreadCall& StandinHost::threadCall() const {
  // Plain data, so no thread's end has anything to run.
  static thread_local ThreadCall call;
  const std::uint64_t generation = generation_;
  if (call.generation != generation) {
    call = ThreadCall{};
    call.generation = generation;
  }
  return call;
}

bool StandinHost::onSessionThread() const {
  return sessionThread ? sessionThread() : hostThreadId() == resetThread_;
}

std::uint64_t StandinHost::pendingNative() const { return threadCall().hash; }

void StandinHost::enterFrame(std::uint64_t frame, std::uint64_t gameTimeMs) {
  HostGuard guard(lock_);
  frame_ = frame;
  gameTimeMs_ = gameTimeMs;
}

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

void StandinHost::note(HostEvent event) {
  HostGuard guard(lock_);
  record(std::move(event));
}

std::vector<HostEvent> StandinHost::takeEvents() {
  HostGuard guard(lock_);
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
  KeyboardHandler handler = nullptr;
  {
    HostGuard guard(lock_);
    handler = keyboardHandler_;
    if (!handler) event.detail = "no handler";
    record(std::move(event));
  }
  if (handler) handler(keyCode, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
}

std::vector<HostEvent> StandinHost::calls() const {
  HostGuard guard(lock_);
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
  Told told;
  {
    HostGuard guard(lock_);
    judge(breach, told);
  }
  tell(told);
}

void StandinHost::tell(const Told& told) {
  for (const RuleBreach& breach : told) onViolation(breach);
}

void StandinHost::judgeBy(Rule rule, std::uint64_t native, std::string act, std::size_t pushes, Told& told) {
  RuleBreach breach(rule, native);
  breach.act = std::move(act);
  breach.pushes = pushes;
  judge(breach, told);
}

void StandinHost::judge(const RuleBreach& breach, Told& told) {
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
  if (onViolation) told.push_back(breach);
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

void StandinHost::scriptWait(std::uint32_t milliseconds) {
  HostEvent event;
  event.kind = EventKind::Wait;
  event.waitMs = milliseconds;
  HostGuard guard(lock_);
  record(std::move(event));
  gameTimeMs_ += milliseconds;
  if (milliseconds == 0) ++frame_;
}

void StandinHost::nativeInit(std::uint64_t hash) {
  ThreadCall& call = threadCall();
  if (call.begun) {
    Told told;
    {
      HostGuard guard(lock_);
      judgeBy(Rule::InitWhilePending, call.hash, "nativeInit(" + hex(hash, 16) + ")", call.pushes, told);
    }
    tell(told);
  }
  call.hash = hash;
  call.pushes = 0;
  call.begun = true;
  call.dropped = false;
}

void StandinHost::nativePush64(std::uint64_t value) {
  ThreadCall& call = threadCall();
  Told told;
  if (!call.begun) {
    HostGuard guard(lock_);
    judgeBy(Rule::CallWithoutInit, 0, "nativePush64(" + hex(value, 16) + ")", 0, told);
  }
  if (call.pushes < kMostPushes) {
    call.args[call.pushes++] = value;
  } else if (!call.dropped) {
    call.dropped = true;
    HostGuard guard(lock_);
    judgeBy(Rule::PushBound, call.hash, "", kMostPushes, told);
  }
  if (!told.empty()) tell(told);
}

void StandinHost::checkPerformedCall(const ThreadCall& call, const NativeSignature* signature, Told& told) {
  if (!call.begun) judgeBy(Rule::CallWithoutInit, 0, "nativeCall()", 0, told);
  if (!call.begun || call.dropped || !signature) return;
  checkDeclaredArguments(call, *signature, told);
}

void StandinHost::checkDeclaredArguments(const ThreadCall& call, const NativeSignature& signature, Told& told) {
  RuleBreach fault;
  if (checkArguments(call.hash, call.args, call.pushes, signature, fault)) judge(fault, told);
}

void StandinHost::answer(const Answer& scripted, ThreadCall& call, HostEvent& event) {
  std::memcpy(call.results, scripted.slots, sizeof scripted.slots);
  if (!recording_) return;
  for (const auto& [index, value] : scripted.outWrites)
    if (index < call.pushes && call.args[index] != 0) event.outWritten[index] = value;
}

void StandinHost::writeOuts(const Answer& scripted, const ThreadCall& call) {
  for (const auto& [index, value] : scripted.outWrites) {
    if (index >= call.pushes || call.args[index] == 0) continue;
    auto* target = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(call.args[index]));
    std::memcpy(target, &value, sizeof value);
  }
}

void StandinHost::noteArguments(const ThreadCall& call, HostEvent& event, const NativeSignature* signature) const {
  // A text is copied only up to this length: a trace line per call stays readable.
  constexpr std::size_t kLongestText = 4096;
  for (unsigned i = 0; i < call.pushes; ++i) {
    if (call.args[i] == 0) continue;
    if (isArgument(textArguments_, ValueKind::Text, event.hash, i, signature)) {
      const char* text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(call.args[i]));
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

// A native from a thread the host does not run the plug-in on: its order
// among the script's calls differs from run to run, so it is a broken rule
// and no call; it answers 0.
std::uint64_t* StandinHost::foreignCall(ThreadCall& call) {
  RuleBreach breach(Rule::NativeOutsideScript, call.hash);
  breach.where = "on a thread of its own";
  Told told;
  {
    HostGuard guard(lock_);
    judge(breach, told);
  }
  call.begun = false;
  call.pushes = 0;
  std::memset(call.results, 0, sizeof call.results);
  tell(told);
  return call.results;
}

std::uint64_t* StandinHost::nativeCall() {
  ThreadCall& call = threadCall();
  if (!onSessionThread()) return foreignCall(call);
  HostEvent event;
  event.kind = EventKind::Call;
  event.hash = call.hash;
  // Looked up once a call: the check and the trace both need it.
  const NativeSignature* signature = nativeSignature(event.hash);
  // The plug-in's memory is read and written outside the lock: a fault there
  // is the plug-in's, and its report needs the host.
  if (recording_) noteArguments(call, event, signature);
  const bool hashesText = call.hash == kTextHashNative && call.pushes != 0 && call.args[0] != 0;
  const std::uint32_t textHash =
      hashesText ? gameTextHash(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(call.args[0]))) : 0;
  const Answer* scripted = nullptr;
  Told told;
  lock_.lock();
  checkPerformedCall(call, signature, told);
  if (!told.empty()) {
    // Told before the call is made: a strict session ends there.
    lock_.unlock();
    tell(told);
    lock_.lock();
  }
  std::memset(call.results, 0, sizeof call.results);
  scripted = answers_.answerCall(frame_, call.hash, nextCallInFrame(call.hash),
                                CallArguments(call.args, call.pushes));
  if (scripted) {
    answer(*scripted, call, event);
  } else if (hashesText) {
    call.results[0] = textHash;
  }
  std::memcpy(event.results, call.results, sizeof event.results);
  if (recording_) event.args.assign(call.args, call.args + call.pushes);
  record(std::move(event));
  lock_.unlock();
  if (scripted) writeOuts(*scripted, call);
  call.begun = false;
  call.pushes = 0;
  if (onCall) onCall();
  return call.results;
}

}  // namespace standin
