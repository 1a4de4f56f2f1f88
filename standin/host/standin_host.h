#pragma once

#include <cstdint>
#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "scenario/answers.h"
#include "host/host_platform.h"
#include "trace/trace_event.h"
#include "base/protocol_rules.h"
#include "script_host.h"

namespace standin {

struct Scenario;

using ScriptEntry = ScriptEntryFunction;
using KeyboardHandler = KeyboardHandlerFunction;

// The game and its script host, as far as a plug-in can see them: answers
// natives from an AnswerBook and records every call. Any thread may call it:
// each has its own call in the making and its own result slots, the rest is
// shared under a lock, and a broken rule is told (onViolation) once the lock
// is let go. A native called from a thread the host does not run the plug-in
// on is such a rule, and no call.
class StandinHost {
 public:
  static StandinHost& instance();

  // Whether the calling thread is one the host runs the plug-in on (its
  // script, DllMain and keyboard handler); null: the thread that reset the
  // host. The Windows exports set it; not forgotten at reset.
  bool (*sessionThread)() = nullptr;
  bool onSessionThread() const;
  // Whether the plug-in may be written to there: memory of its own, committed
  // and writable. Null: anywhere. Not forgotten at reset.
  bool (*pluginWritable)(const void* address, std::size_t size) = nullptr;
  // Why a registration's module or code is not the plug-in's own, in words
  // that follow its function's name ("for the executable's module ..."); null
  // when it may be. A keyboard handler comes with its script's module, null
  // before there is one. Null: any module. Not forgotten at reset.
  const char* (*foreignCode)(const void* module, const void* code) = nullptr;

  // Forgets answers, events and registrations; the next frame is frame 1.
  void reset();

  AnswerBook& answers() { return answers_; }
  // Arguments of a native that are texts, so their contents get recorded.
  void declareTextArgument(std::uint64_t hash, unsigned argumentIndex);
  bool isTextArgument(std::uint64_t hash, unsigned argumentIndex) const;
  // Arguments that are addresses of the plug-in's variables: traced as such,
  // since their values differ from run to run.
  void declareOutArgument(std::uint64_t hash, unsigned argumentIndex);
  bool isOutArgument(std::uint64_t hash, unsigned argumentIndex) const;
  // Benchmarks measure the plug-in, not the recording.
  void setRecording(bool on) { recording_ = on; }

  // Read while no other thread calls the host.
  const std::vector<HostEvent>& events() const { return events_; }
  std::vector<HostEvent> calls() const;
  // Hands over what was recorded so far, so long sessions can be written out as they go.
  std::vector<HostEvent> takeEvents();
  // Records an event that the runner, not the plug-in, brought about.
  void note(HostEvent event);
  // Passes one keyboard message to the registered handler, if any, and records it.
  void deliverKey(HostDword keyCode, HostWord repeats, HostByte scanCode, HostBool isExtended,
                  HostBool isWithAlt, HostBool wasDownBefore, HostBool isUpNow);
  std::uint64_t frame() const { return frame_; }
  // The runner, which plays game time, sets the frame before each one. Tests
  // that drive the plug-in in-process leave it to the waits instead: a wait
  // of 0 ms ends the frame, a longer one only adds game time.
  void enterFrame(std::uint64_t frame, std::uint64_t gameTimeMs);
  std::uint64_t gameTimeMs() const { return gameTimeMs_; }
  ScriptEntry registeredScript() const;
  KeyboardHandler registeredKeyboardHandler() const;
  const void* registeredModule() const;
  // The native the calling thread is calling, from nativeInit until the next one.
  std::uint64_t pendingNative() const;
  // Drops the registrations of a plug-in that was unloaded without undoing them.
  void forgetRegistrations();
  // The plug-in is about to be unloaded: a call its script, DllMain or
  // keyboard handler began and never made is a broken rule, and forgotten;
  // its script may unregister until it registers one again.
  void beginUnload();

  // Called after every performed call, before the plug-in reads the answer:
  // tests make the game misbehave here.
  std::function<void()> onCall;

  // The plug-in broke a rule of the protocol: unless the scenario allows the
  // rule, a misuse event "ID: MESSAGE" is recorded and counted, and
  // onViolation is told (the runner ends a strict session there).
  void violate(const RuleBreach& breach);
  void allow(Rule rule) { allowed_.insert(rule); }
  // The scenario's answers, declared arguments and allowed rules.
  void take(const Scenario& scenario);
  // The session's end has a cause already (a fault, an uncaught exception,
  // an exit): what the plug-in does after it, as the loader's detach call
  // that unregisters, is traced and judged by no rule. Safe on a faulting
  // thread: one store.
  void stopJudging() { judging_.store(false); }
  const RuleTallies& ruleTallies() const { return ruleTallies_; }
  std::function<void(const RuleBreach& breach)> onViolation;

  // The eight host operations.
  void scriptRegister(const void* module, ScriptEntry entry);
  void scriptUnregister(const void* module);
  void scriptWait(std::uint32_t milliseconds);
  void keyboardHandlerRegister(KeyboardHandler handler);
  void keyboardHandlerUnregister(KeyboardHandler handler);
  void nativeInit(std::uint64_t hash);
  void nativePush64(std::uint64_t value);
  std::uint64_t* nativeCall();

 private:
  StandinHost();
  // A thread's call in the making and its answer: plain data, one per thread.
  struct ThreadCall {
    std::uint64_t generation = 0;  // of the host's reset it belongs to
    std::uint64_t hash = 0;
    std::uint64_t args[kMostPushes] = {};
    std::size_t pushes = 0;
    bool begun = false;    // from nativeInit to nativeCall
    bool dropped = false;  // pushes past the bound, in the call begun
    int row = -1;          // in pendingRows_, on the threads the host runs the plug-in on
    std::uint64_t frame = 0;  // in which it was begun
    std::uint64_t waits = 0;  // the script's waits when it was begun
    // More than the three slots plug-ins rely on, and never moved.
    std::uint64_t results[16] = {};
  };
  ThreadCall& threadCall() const;
  // The calls begun on the threads the host runs the plug-in on, each row
  // written by its thread and cleared by the unload, which sees them there.
  // A thread of the plug-in's own has none: its calls are never made, and
  // race the unload. A thread past the rows' count goes unseen.
  struct PendingRow {
    std::atomic<std::uint64_t> native{0};
    std::atomic<std::uint64_t> frame{0};
    std::atomic<bool> begun{false};
  };
  static constexpr int kPendingRows = 8;
  int claimPendingRow() const;
  void endCall(ThreadCall& call) const;
  // Breaches found under the lock, told once it is let go.
  using Told = std::vector<RuleBreach>;
  void judge(const RuleBreach& breach, Told& told);
  void tell(const Told& told);
  __attribute__((noinline)) void judgeBy(Rule rule, std::uint64_t native, std::string act, std::size_t pushes,
                                         Told& told);
  __attribute__((noinline)) std::uint64_t* foreignCall(ThreadCall& call);
  __attribute__((noinline)) void judgeBegun(const ThreadCall& call, std::uint64_t hash);
  __attribute__((noinline)) void judgeAcrossWait(const ThreadCall& call, Told& told);
  __attribute__((noinline)) void refuseOut(std::uint64_t native, unsigned slot);
  // A registration the host does not take is judged and told; false when it is taken.
  __attribute__((noinline)) bool refusedRegistration(const char* act, const void* module, const void* code,
                                                     bool secondModule);
  void record(HostEvent event);
  void recordRegistration(EventKind kind, const void* pointer);
  void registerOnce(bool registered, const char* act, const char* undo);
  void answer(const Answer& answer, ThreadCall& call, HostEvent& event);
  void writeOuts(const Answer& answer, const ThreadCall& call);
  void noteArguments(const ThreadCall& call, HostEvent& event, const NativeSignature* signature) const;
  // Whether the scenario (`declared`) or the names file (`signature`) makes that argument a `kind`.
  static bool isArgument(const std::set<std::pair<std::uint64_t, unsigned>>& declared, ValueKind kind,
                         std::uint64_t hash, unsigned argumentIndex, const NativeSignature* signature);
  std::size_t nextCallInFrame(std::uint64_t hash);

  AnswerBook answers_;
  std::set<std::pair<std::uint64_t, unsigned>> textArguments_;
  std::set<std::pair<std::uint64_t, unsigned>> outArguments_;
  std::vector<HostEvent> events_;
  // Per native: the frame its count belongs to, and the count. A count from
  // an earlier frame reads as zero, so a new frame frees nothing and the
  // next allocates nothing.
  struct CallCount {
    std::uint64_t frame = 0;
    std::size_t calls = 0;
  };
  std::map<std::uint64_t, CallCount> callsInFrame_;
  mutable HostLock lock_;
  std::atomic<std::uint64_t> generation_{1};
  std::uint64_t resetThread_ = 0;
  std::atomic<std::uint64_t> frame_{1};
  std::atomic<std::uint64_t> gameTimeMs_{0};
  bool recording_ = true;
  const void* module_ = nullptr;
  ScriptEntry script_ = nullptr;
  KeyboardHandler keyboardHandler_ = nullptr;
  // Everything ever registered, so that undoing what never was is told.
  std::set<const void*> registeredModules_;
  std::set<const void*> registeredHandlers_;
  bool unloading_ = false;
  std::atomic<std::uint64_t> waits_{0};
  mutable PendingRow pendingRows_[kPendingRows];
  mutable std::atomic<int> pendingRowsClaimed_{0};

  void checkPerformedCall(const ThreadCall& call, const NativeSignature* signature, Told& told);
  // Out of line, as is each breach: the calls that keep the rules run on
  // the little stack a plug-in may have left.
  __attribute__((noinline)) void checkDeclaredArguments(const ThreadCall& call, const NativeSignature& signature,
                                                        Told& told);

  std::set<Rule> allowed_;
  RuleTallies ruleTallies_;
  std::atomic<bool> judging_{true};
};

}  // namespace standin
