#include "chaos/chaos_feedback.h"

#include <cctype>
#include <map>

#include "chaos/chaos_scenario.h"
#include "chaos/chaos_values.h"

namespace standin::chaos {

namespace {

// A class in words, with the sign apart: the ranks put 5 and -5 together,
// but a plug-in that takes a branch for negative values does not.
std::string rankedClass(int rank, bool negative) {
  static const char* const names[] = {"zero", "one", "minus one", "small", "medium", "large",
                                      "minus zero", "denormal", "infinite", "NaN"};
  std::string text = names[rank];
  if (negative && rank >= 3 && rank <= 5) text = "negative " + text;
  if (negative && rank == 8) text = "minus " + text;
  return text;
}

// The features of one frame's calls: counts and adjacent pairs.
void addFrameFeatures(const std::map<std::uint64_t, std::uint64_t>& counts, Features& features) {
  for (const auto& [native, count] : counts) {
    const std::uint64_t most = std::uint64_t{1} << (countClass(count) - 1), least = most / 2 + 1;
    const std::string times = least >= most ? std::to_string(most) : std::to_string(least) + "-" + std::to_string(most);
    features.insert("calls " + nativeText(native) + " " + times + " times in a frame");
  }
}

void addArgumentFeatures(const HostEvent& call, Features& features) {
  const NativeSignature* signature = nativeSignature(call.hash);
  if (!signature) return;
  for (unsigned slot = 0; slot < call.args.size() && slot < signature->slots.size(); ++slot) {
    if (call.outArgs.count(slot) != 0 || call.texts.count(slot) != 0) continue;
    const std::string kind = argumentClass(signature->slots[slot], call.args[slot]);
    if (!kind.empty()) features.insert("passes " + nativeText(call.hash) + " argument " + std::to_string(slot) + " " + kind);
  }
}

}  // namespace

unsigned countClass(std::uint64_t calls) {
  unsigned cls = 0;
  for (std::uint64_t below = 1; calls > 0 && cls < 64; below <<= 1, ++cls)
    if (calls <= below) return cls + 1;
  return cls;
}

std::string argumentClass(ValueKind kind, std::uint64_t slot) {
  const auto word = static_cast<std::uint32_t>(slot);
  switch (kind) {
    case ValueKind::Int: return rankedClass(intRank(word), static_cast<std::int32_t>(word) < 0);
    case ValueKind::Float:
    case ValueKind::Vector: return rankedClass(floatRank(word), (word & 0x80000000u) != 0);
    case ValueKind::Bool: return word == 0 ? "false" : word == 1 ? "true" : "other than 0 and 1";
    case ValueKind::Handle: return word == 0 ? "zero" : "a handle";
    default: return "";
  }
}

std::string foldDigits(const std::string& text) {
  std::string folded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    if (!digit) folded += text[i];
    else if (i == 0 || !std::isdigit(static_cast<unsigned char>(text[i - 1]))) folded += '#';
  }
  return folded;
}

Features sessionFeatures(const std::vector<HostEvent>& events) {
  Features features;
  std::map<std::uint64_t, std::uint64_t> counts;  // of the frame at hand
  std::uint64_t frame = 0, previous = 0;           // previous: the frame's last native, 0 for none
  for (const HostEvent& event : events) {
    if (event.frame != frame) {
      addFrameFeatures(counts, features);
      counts.clear();
      frame = event.frame;
      previous = 0;
    }
    if (event.kind == EventKind::Debug) features.insert("debug \"" + foldDigits(event.detail) + "\"");
    if (event.kind == EventKind::Misuse) features.insert("misuse \"" + foldDigits(event.detail) + "\"");
    if (event.kind != EventKind::Call) continue;
    features.insert("calls " + nativeText(event.hash));
    if (previous != 0) features.insert("calls " + nativeText(previous) + " then " + nativeText(event.hash));
    previous = event.hash;
    ++counts[event.hash];
    addArgumentFeatures(event, features);
  }
  addFrameFeatures(counts, features);
  return features;
}

std::vector<std::uint64_t> calledNatives(const std::vector<HostEvent>& events) {
  std::set<std::uint64_t> called;
  for (const HostEvent& event : events)
    if (event.kind == EventKind::Call) called.insert(event.hash);
  return {called.begin(), called.end()};
}

}  // namespace standin::chaos
