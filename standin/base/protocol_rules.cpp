#include "base/protocol_rules.h"

#include "base/quoted_text.h"

namespace standin {

namespace {

// A rule's message names its fields in braces: {native}, {act}, {where},
// {declared}, {fault}, {undo}, {slot}, {pushed}, {pushes}, {frame}.
struct RuleRow {
  Rule rule;
  const char* id;       // once given, never changes
  const char* message;
  const char* readme;   // the README's rules table: what the plug-in did | the test plug-ins that show it
};

// In the order of Rule.
constexpr RuleRow kRules[kRuleCount] = {
    {Rule::CallWithoutInit, "CALL-WITHOUT-INIT", "{act} with no call begun (nativeInit first)",
     "pushed an argument or called with no call begun (`nativePush64` or `nativeCall` without `nativeInit`) | "
     "`breaks_push_without_init`"},
    {Rule::InitWhilePending, "INIT-WHILE-PENDING",
     "{act} while the call of {native} begun with {pushes} pushes was never performed (nativeCall first)",
     "began a call with `nativeInit` while the call it began before was never performed | "
     "`breaks_init_while_pending`"},
    {Rule::ArgumentCount, "ARG-COUNT", "{native} takes {declared}, got {pushes} pushes",
     "called a native with more or fewer pushes than its names file declares slots | `breaks_arg_count`"},
    {Rule::ArgumentKind, "ARG-KIND", "argument {slot} of {native} is declared {declared}, pushed {pushed}: {fault}",
     "pushed what the declared kind cannot hold: an int, handle, hash or float with its upper 32 bits set (a "
     "sign-extended -2), a bool other than 0 or 1, a null text or out-variable | `breaks_arg_kind`"},
    {Rule::PushBound, "PUSH-BOUND",
     "more than {pushes} pushes into a call of {native}, more than any native takes (the rest are dropped)",
     "pushed more than 64 arguments into one call, more than any native takes; the rest are dropped | "
     "`breaks_push_bound`"},
    {Rule::NativeOutsideScript, "NATIVE-OUTSIDE-SCRIPT", "native {native} called outside the script, {where}",
     "called a native from `DllMain`, the keyboard handler or a thread of its own; from a thread of its own the "
     "call is made for no one (it answers 0) and traced only as this misuse, since its order among the script's "
     "calls differs from run to run | `fault_key_misuse`, `fault_misuse`, `breaks_thread`, `breaks_thread_calls`"},
    {Rule::WaitOutsideScript, "WAIT-OUTSIDE-SCRIPT", "{act} outside the script, {where}",
     "called `scriptWait` outside its script; the wait returns at once and ends no frame | "
     "`breaks_wait_in_handler`, `fault_misuse`"},
    {Rule::RegisterTwice, "REGISTER-TWICE", "{act} is registered already ({undo} first)",
     "registered its script (for the same module) or a keyboard handler again without unregistering first | "
     "`breaks_register_twice`, `breaks_handler_twice`"},
    {Rule::ScriptReturned, "SCRIPT-RETURNED", "the script entry returned; the host expects it to run for ever",
     "returned from its script entry, which the host expects to run for ever; the script has ended and no later "
     "frame runs it | `fault_returns`"},
    {Rule::UnloadRegistered, "UNLOAD-REGISTERED", "unloaded without {undo}",
     "was unloaded with its script or keyboard handler still registered (its `DllMain` did not call "
     "`scriptUnregister` or `keyboardHandlerUnregister`); the stand-in then forgets them, so that nothing calls "
     "into the unloaded code | `fault_keeps_registered`"},
    {Rule::NativeZero, "NATIVE-ZERO", "nativeInit(0): no native has the hash 0 (a hash left unset?)",
     "began a call of native 0 (`nativeInit(0)`), which is no native's hash: one left unset or never looked up | "
     "`breaks_native_zero`"},
    {Rule::CallAcrossWait, "CALL-ACROSS-WAIT",
     "the call of {native} begun in frame {frame} was made after a scriptWait (begin and make a call between two "
     "waits)",
     "began a call with `nativeInit` before a `scriptWait` and made it with `nativeCall` after the wait | "
     "`breaks_call_across_wait`"},
    {Rule::CallPendingAtUnload, "CALL-PENDING-AT-UNLOAD",
     "unloaded while the call of {native} begun in frame {frame} was never made (nativeCall first)",
     "was unloaded while a call it began with `nativeInit` from its script, `DllMain` or keyboard handler was never "
     "made with `nativeCall` | `breaks_call_pending_at_unload`"},
    {Rule::RegisterForeignModule, "REGISTER-FOREIGN-MODULE",
     "{act}: not the plug-in's own, so not registered",
     "registered its script for a module that is not its own (the executable's `GetModuleHandle(NULL)`, the "
     "stand-in's DLL, a module its script entry is not in, or a second module while its script is registered), or a "
     "keyboard handler whose code is in another module; the registration is not taken: never run, never to be "
     "unregistered | `breaks_register_foreign`"},
    {Rule::HandlerNull, "HANDLER-NULL", "{act} with a null function, so not registered",
     "registered a null script entry or keyboard handler; the registration is not taken | `breaks_handler_null`"},
    {Rule::UnregisterUnknown, "UNREGISTER-UNKNOWN", "{act} that was never registered",
     "unregistered a script (by its module) or a keyboard handler that it never registered | "
     "`breaks_unregister_unknown`"},
    {Rule::ScriptUnregistered, "SCRIPT-UNREGISTERED",
     "the script was unregistered in frame {frame}, not as the plug-in was unloaded; the host runs it no more",
     "unregistered its own script while the host was not unloading it (from its script, its keyboard handler or a "
     "thread, not from `DllMain` at unload); the script runs no more, the frames play on | "
     "`breaks_script_unregistered`"},
    {Rule::OutNotWritable, "OUT-NOT-WRITABLE",
     "the answer of {native} writes through argument {slot}, which is no writable memory of the plug-in's; not "
     "written",
     "passed, where the scenario's answer writes an out-variable (`out I V`), an address that is no writable memory "
     "of its own over the whole width written (4 bytes, 8 for `whole`, 24 for `vector`): a small integer, read-only "
     "memory, a guard page, the stand-in's image; the stand-in writes nothing there | `breaks_out_not_writable`"},
};

const RuleRow& rowOf(Rule rule) { return kRules[static_cast<int>(rule)]; }

// The value of one field of the breach, by its name in a message.
std::string field(const RuleBreach& breach, const std::string& name, bool named) {
  if (name == "native") return named ? nativeWords(breach.native) : hex(breach.native, 16);
  if (name == "act") return breach.act;
  if (name == "where") return breach.where;
  if (name == "declared") return breach.declared;
  if (name == "fault") return breach.fault;
  if (name == "undo") return breach.undo;
  if (name == "slot") return std::to_string(breach.slot);
  if (name == "pushed") return hex(breach.pushed, 16);
  if (name == "pushes") return std::to_string(breach.pushes);
  if (name == "frame") return std::to_string(breach.frame);
  return "{" + name + "}";
}

// Why a slot cannot hold a value of its declared kind; empty when it can.
std::string slotFault(ValueKind kind, std::uint64_t slot) {
  switch (kind) {
    case ValueKind::Text:
    case ValueKind::Out:
    case ValueKind::OutFloat:
    case ValueKind::OutVector:
    case ValueKind::OutWhole: return slot == 0 ? "a null address" : "";
    case ValueKind::Whole:
    case ValueKind::Unknown: return "";
    case ValueKind::Bool:
      if (slot > 1) return "neither 0 nor 1";
      return "";
    default:
      // Ints, handles, hashes and floats fill the low 32 bits: a negative
      // int pushed sign-extended is another value to the game.
      if (slot > 0xFFFFFFFFull) return "upper 32 bits set (push static_cast<std::uint32_t>(value))";
      return "";
  }
}

}  // namespace

const char* ruleId(Rule rule) { return rowOf(rule).id; }

bool ruleNamed(const std::string& id, Rule& rule) {
  for (const RuleRow& row : kRules)
    if (id == row.id) {
      rule = row.rule;
      return true;
    }
  return false;
}

std::string ruleIds() {
  std::string ids;
  for (const RuleRow& row : kRules) ids += (ids.empty() ? "" : ", ") + std::string(row.id);
  return ids;
}

std::string ruleReadmeRow(Rule rule) { return "| `" + std::string(ruleId(rule)) + "` | " + rowOf(rule).readme + " |"; }

std::string ruleMessage(const RuleBreach& breach, bool named) {
  const std::string words = rowOf(breach.rule).message;
  std::string message;
  for (std::size_t at = 0; at < words.size();) {
    const std::size_t open = words.find('{', at);
    const std::size_t close = open == std::string::npos ? open : words.find('}', open);
    if (close == std::string::npos) {
      message += words.substr(at);
      break;
    }
    message += words.substr(at, open - at) + field(breach, words.substr(open + 1, close - open - 1), named);
    at = close + 1;
  }
  return message;
}

bool checkArguments(std::uint64_t native, const std::uint64_t* slots, std::size_t pushes,
                    const NativeSignature& signature, RuleBreach& breach) {
  // Named only when a rule is broken: a call that keeps them allocates nothing.
  if (pushes != signature.slots.size()) {
    breach = RuleBreach(Rule::ArgumentCount, native);
    breach.declared = std::to_string(signature.slots.size()) + " argument slots " + signature.declaration;
    breach.pushes = pushes;
    return true;
  }
  for (std::size_t i = 0; i < pushes; ++i) {
    std::string fault = slotFault(signature.slots[i], slots[i]);
    if (fault.empty()) continue;
    breach = RuleBreach(Rule::ArgumentKind, native);
    breach.slot = static_cast<unsigned>(i);
    breach.declared = valueKindName(signature.slots[i]);
    breach.pushed = slots[i];
    breach.fault = std::move(fault);
    return true;
  }
  return false;
}

std::vector<std::string> ruleWarnings(const RuleTallies& tallies) {
  std::vector<std::string> warnings;
  for (const auto& [key, tally] : tallies)
    warnings.push_back(std::string(ruleId(key.first)) + ": " + std::to_string(tally.times) +
                       (tally.times == 1 ? " time" : " times") + ", first in frame " + std::to_string(tally.firstFrame) +
                       ": " + ruleMessage(tally.first, true));
  return warnings;
}

}  // namespace standin
