// The rules of the host's protocol that the stand-in watches, each with an id
// that stays the same from release to release: scenarios silence a rule by
// its id ('allow ID'), and messages and trace lines start with it. One table
// (protocol_rules.cpp) holds, per rule, its id, the words of its message and
// its row in the README's rules table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/native_names.h"

namespace standin {

enum class Rule {
  CallWithoutInit,      // nativePush64 or nativeCall with no call begun
  InitWhilePending,     // nativeInit while a begun call was never performed
  ArgumentCount,        // more or fewer pushes than the native's declared parameters
  ArgumentKind,         // a push that its declared kind cannot hold
  PushBound,            // more pushes than any native takes, where none are declared
  NativeOutsideScript,  // a native called from DllMain, the keyboard handler or another thread
  WaitOutsideScript,    // scriptWait from anywhere but the script
  RegisterTwice,        // a script or keyboard handler registered again without unregistering
  ScriptReturned,       // the script entry returned
  UnloadRegistered,     // unloaded with its script or keyboard handler still registered
  NativeZero,           // nativeInit(0)
  CallAcrossWait,       // a call begun before a scriptWait and made after it
  CallPendingAtUnload,  // unloaded while a call it began was never made
  RegisterForeignModule,  // a registration for a module, or of code, that is not the plug-in's
  HandlerNull,          // a null script entry or keyboard handler registered
  UnregisterUnknown,    // a script or keyboard handler unregistered that was never registered
  ScriptUnregistered,   // the script unregistered while the host was not unloading the plug-in
  OutNotWritable,       // an answer's out-variable argument that is no writable memory of the plug-in's
};

constexpr int kRuleCount = static_cast<int>(Rule::OutNotWritable) + 1;

// Pushes a call may hold where its native declares none.
constexpr std::size_t kMostPushes = 64;

const char* ruleId(Rule rule);
// False for an id no rule has.
bool ruleNamed(const std::string& id, Rule& rule);
// Every id, for messages: "CALL-WITHOUT-INIT, INIT-WHILE-PENDING, ...".
std::string ruleIds();
// What the README's rules table says of the rule: "`ID` | the plug-in ...".
std::string ruleReadmeRow(Rule rule);

// One broken rule, as the fields its message is built from; a rule's
// message uses those it names, the rest stay empty.
struct RuleBreach {
  RuleBreach() = default;
  explicit RuleBreach(Rule broken, std::uint64_t call = 0) : rule(broken), native(call) {}

  Rule rule = Rule::CallWithoutInit;
  std::uint64_t native = 0;  // the native it concerns, 0 for none: by hash in traces, by name for people
  std::string act;           // what the plug-in did, in the host's words: "nativePush64(0x...)"
  std::string where;         // where the plug-in was, outside its script
  std::string declared;      // the native's declaration, or its argument's kind
  std::string fault;         // why the push does not fit its kind
  std::string undo;          // the host function that would have kept the rule
  unsigned slot = 0;         // the argument
  std::uint64_t pushed = 0;  // what was pushed there
  std::size_t pushes = 0;    // how many arguments
  std::uint64_t frame = 0;   // the frame the plug-in did it in, where that is not the frame it is told in
};

// The breach's message, the native by its hash, or with `named` by its name
// from the names file as well; traces keep the hash alone, so that they do
// not change with names files.
std::string ruleMessage(const RuleBreach& breach, bool named = false);

// The first fault of a performed call against its native's declaration;
// false when it holds.
bool checkArguments(std::uint64_t native, const std::uint64_t* slots, std::size_t pushes,
                    const NativeSignature& signature, RuleBreach& breach);

// How often a rule fired for one native (0: none named), and its first breach.
struct RuleTally {
  std::uint64_t times = 0;
  std::uint64_t firstFrame = 0;
  RuleBreach first;
};
using RuleTallies = std::map<std::pair<Rule, std::uint64_t>, RuleTally>;

// One warning per rule and native: "ID: N times, first in frame F: MESSAGE".
std::vector<std::string> ruleWarnings(const RuleTallies& tallies);

}  // namespace standin
