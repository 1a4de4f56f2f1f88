// What a scenario's lines say together, checked once all are read: frames
// within the session, one list of ordered calls per frame, out answers only
// where a variable of that width lies, reload frames expanded.
#include <algorithm>

#include "base/native_names.h"
#include "scenario/scenario_parser.h"

namespace standin {

namespace {

std::string frameRangeWords(std::uint64_t first, std::uint64_t last) {
  if (first == last) return "frame " + std::to_string(first);
  return "frames " + std::to_string(first) + (last == kLastFrame ? "-" : "-" + std::to_string(last));
}

}  // namespace

void ScenarioParser::expandReloads() {
  for (const auto& [frame, line] : reloadLines_) {
    if (frame > scenario_.frames)
      refuseAt(line, "reload before frame " + std::to_string(frame) + ", but the session has only " +
                         std::to_string(scenario_.frames) + " frames");
    scenario_.reloads.push_back(frame);
  }
  if (reloadEvery_ != 0)
    for (std::uint64_t frame = reloadEvery_ + 1; frame <= scenario_.frames; frame += reloadEvery_)
      scenario_.reloads.push_back(frame);
  std::sort(scenario_.reloads.begin(), scenario_.reloads.end());
  scenario_.reloads.erase(std::unique(scenario_.reloads.begin(), scenario_.reloads.end()), scenario_.reloads.end());
}

void ScenarioParser::finish() {
  scenario_.answers.setClock(GameClock(scenario_.fps));
  if (scenario_.frames > scenario_.caps.frames)
    refuseAt(framesLine_ != 0 ? framesLine_ : capFramesLine_, std::to_string(scenario_.frames) + " frames is more than the cap of " +
                              std::to_string(scenario_.caps.frames) + " (raise it with 'cap frames N')");
  for (std::size_t i = 0; i < scenario_.keys.size(); ++i)
    if (scenario_.keys[i].frame > scenario_.frames)
      refuseAt(keyLines_[i], "key message for frame " + std::to_string(scenario_.keys[i].frame) +
                                 ", but the session has only " + std::to_string(scenario_.frames) +
                                 " frames");
  // Stable: messages of one frame keep the order they were written in.
  std::stable_sort(scenario_.keys.begin(), scenario_.keys.end(),
                   [](const KeyMessage& a, const KeyMessage& b) { return a.frame < b.frame; });
  for (const Expectation& expected : scenario_.expectations)
    if (expected.kind != Expectation::Kind::Line && expected.firstFrame > scenario_.frames)
      refuseAt(expected.line, "expectation for frame " + std::to_string(expected.firstFrame) +
                                  ", but the session has only " + std::to_string(scenario_.frames) + " frames");
  refuseOverlappingLists();
  refuseOutWritesOnDeclaredSlots();
  expandReloads();
  for (const WhenSlot& slot : whenSlots_) {
    const std::string refusal = whenSlotRefusal(scenario_, slot);
    if (!refusal.empty()) refuseAt(slot.line, refusal);
  }
  placeExpectations();
}

// Failed expectations are told by the file and line they were written on.
void ScenarioParser::placeExpectations() {
  for (Expectation& expected : scenario_.expectations) {
    const auto& [file, line] = places_[expected.line - 1];
    expected.line = line;
    if (file != source_) expected.source = file;
  }
}


// A frame has one list of calls to make in order: two lists over one frame
// would each fail the other's calls as extra ones.
void ScenarioParser::refuseOverlappingLists() const {
  std::vector<const Expectation*> lists;
  for (const Expectation& expected : scenario_.expectations)
    if (expected.kind == Expectation::Kind::Sequence) lists.push_back(&expected);
  std::stable_sort(lists.begin(), lists.end(),
                   [](const Expectation* a, const Expectation* b) { return a->firstFrame < b->firstFrame; });
  for (std::size_t i = 1; i < lists.size(); ++i) {
    const Expectation& before = *lists[i - 1];
    const Expectation& after = *lists[i];
    if (after.firstFrame > before.lastFrame) continue;
    const Expectation& later = before.line > after.line ? before : after;
    const Expectation& earlier = before.line > after.line ? after : before;
    refuseAt(later.line, "the ordered calls of " + frameRangeWords(later.firstFrame, later.lastFrame) +
                             " overlap those of " + lineWords(earlier.line) + " (" +
                             frameRangeWords(earlier.firstFrame, earlier.lastFrame) +
                             "): a frame has one list of calls");
  }
}

// The host writes an out answer through the argument's value: where a names
// file says that value is a handle, a number or a text, the write would land
// at an address the plug-in never gave.
void ScenarioParser::refuseOutWritesOnDeclaredSlots() const {
  for (const OutWrite& write : outWrites_) {
    const NativeSignature* signature = nativeSignature(write.native);
    if (declaresSlot(signature, write.slot, ValueKind::Out) && write.bytes > outWidth(signature->slots[write.slot]))
      refuseAt(write.line, "'out " + std::to_string(write.slot) + "' writes " + std::to_string(write.bytes) +
                               " bytes through argument " + std::to_string(write.slot) + " of " +
                               nativeWords(write.native) + ", declared " + valueKindName(signature->slots[write.slot]) +
                               " (" + std::to_string(outWidth(signature->slots[write.slot])) +
                               " bytes): the host would write past the plug-in's variable");
    if (!signature || declaresSlot(signature, write.slot, ValueKind::Out)) continue;
    const std::string declared = write.slot < signature->slots.size()
                                     ? std::string("declared ") + valueKindName(signature->slots[write.slot])
                                     : "past its declared arguments";
    refuseAt(write.line, "'out " + std::to_string(write.slot) + "' for " + nativeWords(write.native) + ", whose argument " +
                             std::to_string(write.slot) + " is " + declared + " " + signature->declaration +
                             ", not out: the host would write through a value that is no address");
  }
}

}  // namespace standin
