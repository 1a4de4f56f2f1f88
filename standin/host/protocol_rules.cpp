#include "protocol_rules.h"

#include "quoted_text.h"

namespace standin {

namespace {

// In the order of Rule; an id, once given, never changes.
constexpr const char* kRuleIds[kRuleCount] = {
    "CALL-WITHOUT-INIT",     "INIT-WHILE-PENDING",  "ARG-COUNT",      "ARG-KIND",        "PUSH-BOUND",
    "NATIVE-OUTSIDE-SCRIPT", "WAIT-OUTSIDE-SCRIPT", "REGISTER-TWICE", "SCRIPT-RETURNED", "UNLOAD-REGISTERED",
};

// Why a slot cannot hold a value of its declared kind; empty when it can.
std::string slotFault(ValueKind kind, std::uint64_t slot) {
  switch (kind) {
    case ValueKind::Text:
    case ValueKind::Out: return slot == 0 ? "a null address" : "";
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

const char* ruleId(Rule rule) { return kRuleIds[static_cast<int>(rule)]; }

bool ruleNamed(const std::string& id, Rule& rule) {
  for (int i = 0; i < kRuleCount; ++i)
    if (id == kRuleIds[i]) {
      rule = static_cast<Rule>(i);
      return true;
    }
  return false;
}

std::string ruleIds() {
  std::string ids;
  for (const char* id : kRuleIds) ids += (ids.empty() ? "" : ", ") + std::string(id);
  return ids;
}

ArgumentFault checkArguments(std::uint64_t native, const std::vector<std::uint64_t>& slots,
                             const NativeSignature& signature) {
  // Named only when a rule is broken: a call that keeps them allocates nothing.
  if (slots.size() != signature.slots.size())
    return {Rule::ArgumentCount, hex(native, 16) + " takes " + std::to_string(signature.slots.size()) + " argument slots " +
                                     signature.declaration + ", got " + std::to_string(slots.size()) + " pushes"};
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const std::string fault = slotFault(signature.slots[i], slots[i]);
    if (!fault.empty())
      return {Rule::ArgumentKind, "argument " + std::to_string(i) + " of " + hex(native, 16) + " is declared " +
                                      valueKindName(signature.slots[i]) + ", pushed " + hex(slots[i], 16) + ": " + fault};
  }
  return {};
}

std::string withNativeName(const std::string& message, std::uint64_t native) {
  const std::size_t at = native != 0 ? message.find(hex(native, 16)) : std::string::npos;
  if (at == std::string::npos || nativeName(native).empty()) return message;
  return message.substr(0, at) + nativeWords(native) + message.substr(at + 18);
}

std::vector<std::string> ruleWarnings(const RuleTallies& tallies) {
  std::vector<std::string> warnings;
  for (const auto& [key, tally] : tallies)
    warnings.push_back(std::string(ruleId(key.first)) + ": " + std::to_string(tally.times) +
                       (tally.times == 1 ? " time" : " times") + ", first in frame " + std::to_string(tally.firstFrame) +
                       ": " + withNativeName(tally.first, key.second));
  return warnings;
}

}  // namespace standin
