// The host's shared state: what it knows of natives' arguments, the events
// it records, and the rules it judges.
#include "host/standin_host.h"

#include "base/native_names.h"
#include "scenario/scenario.h"

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
  registeredModules_.clear();
  registeredHandlers_.clear();
  unloading_ = false;
  waits_ = 0;
  for (PendingRow& row : pendingRows_) row.begun = false;
  pendingRowsClaimed_ = 0;
  allowed_.clear();
  ruleTallies_.clear();
  judging_.store(true);
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

void StandinHost::take(const Scenario& scenario) {
  answers_ = scenario.answers;
  for (const auto& [native, index] : scenario.textArguments) declareTextArgument(native, index);
  for (const auto& [native, index] : scenario.outArguments) declareOutArgument(native, index);
  for (Rule rule : scenario.allowed) allow(rule);
}

void StandinHost::declareOutArgument(std::uint64_t hash, unsigned argumentIndex) {
  outArguments_.insert({hash, argumentIndex});
}

bool StandinHost::isOutArgument(std::uint64_t hash, unsigned argumentIndex) const {
  return isArgument(outArguments_, ValueKind::Out, hash, argumentIndex, nativeSignature(hash));
}

bool StandinHost::onSessionThread() const {
  return sessionThread ? sessionThread() : hostThreadId() == resetThread_;
}

void StandinHost::enterFrame(std::uint64_t frame, std::uint64_t gameTimeMs) {
  HostGuard guard(lock_);
  frame_ = frame;
  gameTimeMs_ = gameTimeMs;
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
  if (allowed_.count(breach.rule) || !judging_.load()) return;
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

}  // namespace standin
