// The rules of the host's protocol that the stand-in watches, each with an id
// that stays the same from release to release: scenarios silence a rule by
// its id ('allow ID'), and messages and trace lines start with it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "native_names.h"

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
};

constexpr int kRuleCount = static_cast<int>(Rule::UnloadRegistered) + 1;

// Pushes a call may hold where its native declares none.
constexpr std::size_t kMostPushes = 64;

const char* ruleId(Rule rule);
// False for an id no rule has.
bool ruleNamed(const std::string& id, Rule& rule);
// Every id, for messages: "CALL-WITHOUT-INIT, INIT-WHILE-PENDING, ...".
std::string ruleIds();

// The first fault of a performed call against its native's declaration, as
// the message of `rule`; empty when it holds.
struct ArgumentFault {
  Rule rule = Rule::ArgumentCount;
  std::string message;
};
ArgumentFault checkArguments(std::uint64_t native, const std::vector<std::uint64_t>& slots,
                             const NativeSignature& signature);

// How often a rule fired for one native (0: none named), and its first message.
struct RuleTally {
  std::uint64_t times = 0;
  std::uint64_t firstFrame = 0;
  std::string first;
};
using RuleTallies = std::map<std::pair<Rule, std::uint64_t>, RuleTally>;

// `message` with the native's hash in it followed by its name, for people;
// traces keep the hash alone, so that they do not change with names files.
std::string withNativeName(const std::string& message, std::uint64_t native);

// One warning per rule and native: "ID: N times, first in frame F: MESSAGE".
std::vector<std::string> ruleWarnings(const RuleTallies& tallies);

}  // namespace standin
