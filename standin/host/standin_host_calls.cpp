// The calls the plug-in makes, each thread its own, and the script's waits.
#include "host/standin_host.h"

#include <algorithm>
#include <cstring>

#include "base/game_text_hash.h"
#include "base/native_names.h"
#include "base/quoted_text.h"

namespace standin {

StandinHost::ThreadCall& StandinHost::threadCall() const {
  // Plain data, so no thread's end has anything to run.
  static thread_local ThreadCall call;
  const std::uint64_t generation = generation_;
  if (call.generation != generation) {
    call = ThreadCall{};
    call.generation = generation;
    if (onSessionThread()) call.row = claimPendingRow();
  }
  // A call the unload found begun is forgotten with the plug-in that began it.
  if (call.begun && call.row >= 0 && !pendingRows_[call.row].begun.load(std::memory_order_relaxed)) {
    call.begun = false;
    call.pushes = 0;
  }
  return call;
}

int StandinHost::claimPendingRow() const {
  const int row = pendingRowsClaimed_.fetch_add(1);
  return row < kPendingRows ? row : -1;
}

void StandinHost::endCall(ThreadCall& call) const {
  call.begun = false;
  call.pushes = 0;
  if (call.row >= 0) pendingRows_[call.row].begun.store(false, std::memory_order_relaxed);
}

void StandinHost::beginUnload() {
  Told told;
  {
    HostGuard guard(lock_);
    unloading_ = true;
    const int rows = std::min(pendingRowsClaimed_.load(), kPendingRows);
    for (int i = 0; i < rows; ++i) {
      PendingRow& row = pendingRows_[i];
      if (!row.begun.exchange(false)) continue;
      RuleBreach breach(Rule::CallPendingAtUnload, row.native.load(std::memory_order_relaxed));
      breach.frame = row.frame.load(std::memory_order_relaxed);
      judge(breach, told);
    }
  }
  tell(told);
}

std::uint64_t StandinHost::pendingNative() const { return threadCall().hash; }

void StandinHost::scriptWait(std::uint32_t milliseconds) {
  HostEvent event;
  event.kind = EventKind::Wait;
  event.waitMs = milliseconds;
  HostGuard guard(lock_);
  record(std::move(event));
  ++waits_;
  gameTimeMs_ += milliseconds;
  if (milliseconds == 0) ++frame_;
}

void StandinHost::nativeInit(std::uint64_t hash) {
  ThreadCall& call = threadCall();
  if (call.begun || hash == 0) judgeBegun(call, hash);
  call.hash = hash;
  call.pushes = 0;
  call.begun = true;
  call.dropped = false;
  call.frame = frame_;
  call.waits = waits_.load(std::memory_order_relaxed);
  if (call.row < 0) return;
  PendingRow& row = pendingRows_[call.row];
  row.native.store(hash, std::memory_order_relaxed);
  row.frame.store(call.frame, std::memory_order_relaxed);
  row.begun.store(true, std::memory_order_relaxed);
}

void StandinHost::judgeBegun(const ThreadCall& call, std::uint64_t hash) {
  Told told;
  {
    HostGuard guard(lock_);
    if (call.begun) judgeBy(Rule::InitWhilePending, call.hash, "nativeInit(" + hex(hash, 16) + ")", call.pushes, told);
    if (hash == 0) judge(RuleBreach(Rule::NativeZero), told);
  }
  tell(told);
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
  if (call.begun && call.waits != waits_.load(std::memory_order_relaxed)) judgeAcrossWait(call, told);
  if (!call.begun || call.dropped || !signature) return;
  checkDeclaredArguments(call, *signature, told);
}

void StandinHost::judgeAcrossWait(const ThreadCall& call, Told& told) {
  RuleBreach breach(Rule::CallAcrossWait, call.hash);
  breach.frame = call.frame;
  judge(breach, told);
}

void StandinHost::checkDeclaredArguments(const ThreadCall& call, const NativeSignature& signature, Told& told) {
  RuleBreach fault;
  if (checkArguments(call.hash, call.args, call.pushes, signature, fault)) judge(fault, told);
}

void StandinHost::answer(const Answer& scripted, ThreadCall& call, HostEvent& event) {
  std::memcpy(call.results, scripted.slots, sizeof scripted.slots);
  if (scripted.timed()) call.results[0] = scripted.timedSlot(frame_, answers_.clock());
  if (!recording_) return;
  for (const auto& [index, value] : scripted.outWrites)
    if (index < call.pushes && call.args[index] != 0) event.outWritten[index] = value;
  for (const WideOut& wide : scripted.wideOutWrites)
    if (wide.index < call.pushes && call.args[wide.index] != 0)
      event.outWrittenWide[wide.index].assign(wide.slots, wide.slots + wide.count);
}

// The trace keeps the answer's value for an argument that is not written,
// so a session replayed from it meets the same address.
void StandinHost::writeOuts(const Answer& scripted, const ThreadCall& call) {
  for (const auto& [index, value] : scripted.outWrites) {
    if (index >= call.pushes || call.args[index] == 0) continue;
    auto* target = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(call.args[index]));
    if (pluginWritable && !pluginWritable(target, sizeof value)) {
      refuseOut(call.hash, index);
      continue;
    }
    std::memcpy(target, &value, sizeof value);
  }
  // The whole width must be the plug-in's: a vector is 24 bytes, not 4.
  for (const WideOut& wide : scripted.wideOutWrites) {
    if (wide.index >= call.pushes || call.args[wide.index] == 0) continue;
    void* target = reinterpret_cast<void*>(static_cast<std::uintptr_t>(call.args[wide.index]));
    if (pluginWritable && !pluginWritable(target, wide.bytes())) {
      refuseOut(call.hash, wide.index);
      continue;
    }
    std::memcpy(target, wide.slots, wide.bytes());
  }
}

void StandinHost::refuseOut(std::uint64_t native, unsigned slot) {
  RuleBreach breach(Rule::OutNotWritable, native);
  breach.slot = slot;
  violate(breach);
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
  endCall(call);
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
  endCall(call);
  if (onCall) onCall();
  return call.results;
}

}  // namespace standin
