#include "scenario/when_slots.h"

#include <algorithm>

#include "base/native_names.h"

namespace standin {

namespace {

bool listed(const std::vector<std::pair<std::uint64_t, unsigned>>& list, std::uint64_t native, unsigned index) {
  return std::find(list.begin(), list.end(), std::make_pair(native, index)) != list.end();
}

}  // namespace

std::string whenSlotRefusal(const Scenario& scenario, const WhenSlot& slot) {
  const NativeSignature* signature = nativeSignature(slot.native);
  const std::string argument = "argument " + std::to_string(slot.index) + " of " + nativeWords(slot.native);
  if (listed(scenario.outArguments, slot.native, slot.index) || listed(knownOutArguments(), slot.native, slot.index) ||
      declaresSlot(signature, slot.index, ValueKind::Out))
    return "a 'when' on " + argument + ", an out-variable the game writes: test the other arguments";
  const bool text = listed(scenario.textArguments, slot.native, slot.index) ||
                    listed(knownTextArguments(), slot.native, slot.index) ||
                    declaresSlot(signature, slot.index, ValueKind::Text);
  if (slot.isText && !text)
    return "a text for " + argument + ", which is not declared a text ('text-arg', or 'text' in a names file)";
  if (!slot.isText && text) return "a number for " + argument + ", which is a text: write the text quoted";
  return "";
}

}  // namespace standin
