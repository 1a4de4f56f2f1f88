#include "checks/sequence_check.h"

#include <algorithm>
#include <iterator>

#include "base/native_names.h"
#include "trace/trace.h"

namespace standin {

namespace {

// An argument as a message quotes it: a long text is cut, so the message stays a line.
std::string shortened(const std::string& argument) {
  constexpr std::size_t kLongest = 80;
  if (argument.size() <= kLongest) return argument;
  return argument.substr(0, kLongest) + "...(" + std::to_string(argument.size()) + " bytes)";
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : " ") + shortened(word);
  return text;
}

std::string callWords(std::uint64_t native, const std::vector<std::string>& arguments) {
  return nativeWords(native) + (arguments.empty() ? "" : " " + joined(arguments));
}

// How a call differs from the one listed: which argument, what was expected and what came.
std::string difference(const ExpectedCall& expected, std::uint64_t native, const std::vector<std::string>& got) {
  if (native != expected.native)
    return "expected " + callWords(expected.native, expected.arguments) + ", got " + callWords(native, got);
  if (got.size() != expected.arguments.size())
    return nativeWords(native) + ": expected " + std::to_string(expected.arguments.size()) + " arguments (" +
           joined(expected.arguments) + "), got " + std::to_string(got.size()) + " (" + joined(got) + ")";
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != expected.arguments[i])
      return nativeWords(native) + ": argument " + std::to_string(i) + " expected " + shortened(expected.arguments[i]) +
             ", got " + shortened(got[i]);
  return "";
}

// The common case, told without building any message.
bool matches(const ExpectedCall& expected, const HostEvent& call) {
  if (call.hash != expected.native || call.args.size() != expected.arguments.size()) return false;
  for (unsigned a = 0; a < call.args.size(); ++a)
    if (traceArgument(call, a) != expected.arguments[a]) return false;
  return true;
}

}  // namespace

void SequenceCheck::add(CallSequence sequence) {
  byFirstFrame_[sequence.firstFrame] = sequences_.size();
  sequences_.push_back(std::move(sequence));
  progress_.emplace_back();
}

std::size_t SequenceCheck::listFor(std::uint64_t frame) const {
  auto after = byFirstFrame_.upper_bound(frame);
  if (after == byFirstFrame_.begin()) return std::string::npos;
  const std::size_t index = std::prev(after)->second;
  return frame <= sequences_[index].lastFrame ? index : std::string::npos;
}

void SequenceCheck::fail(Progress& progress, const std::string& what) const {
  progress.frameFailed = true;
  if (progress.firstFailure.empty()) progress.firstFailure = "frame " + std::to_string(progress.frame) + ", " + what;
  else ++progress.moreFrames;
}

void SequenceCheck::closeFrame(const CallSequence& sequence, Progress& progress, std::uint64_t upTo) const {
  const std::size_t expected = sequence.calls.size();
  if (progress.frame != 0 && !progress.frameFailed && progress.calls < expected) {
    const ExpectedCall& missing = sequence.calls[progress.calls];
    fail(progress, "call " + std::to_string(progress.calls + 1) + ": expected " +
                       callWords(missing.native, missing.arguments) + ", got no more calls (" +
                       std::to_string(progress.calls) + " of " + std::to_string(expected) + ")");
  }
  // The frames of the list that passed without a single call.
  const std::uint64_t from = progress.frame == 0 ? sequence.firstFrame : progress.frame + 1;
  if (expected != 0 && from < upTo) {
    progress.frame = from;
    progress.frameFailed = false;
    fail(progress, "call 1: expected " + callWords(sequence.calls[0].native, sequence.calls[0].arguments) +
                       ", got no call in the frame");
    progress.moreFrames += upTo - from - 1;
  }
}

void SequenceCheck::see(const HostEvent& call) {
  if (call.kind != EventKind::Call) return;
  const std::size_t index = listFor(call.frame);
  if (index == std::string::npos) return;
  const CallSequence& sequence = sequences_[index];
  Progress& progress = progress_[index];
  if (progress.frame != call.frame) {
    closeFrame(sequence, progress, call.frame);
    progress.frame = call.frame;
    progress.calls = 0;
    progress.frameFailed = false;
  }
  const std::size_t position = progress.calls++;
  if (progress.frameFailed) return;
  if (position < sequence.calls.size() && matches(sequence.calls[position], call)) return;
  std::vector<std::string> got;
  for (unsigned a = 0; a < call.args.size(); ++a) got.push_back(traceArgument(call, a));
  const std::string where = "call " + std::to_string(position + 1) + " of " + std::to_string(sequence.calls.size());
  if (position >= sequence.calls.size()) {
    fail(progress, where + ": got one more, " + callWords(call.hash, got));
    return;
  }
  const std::string differs = difference(sequence.calls[position], call.hash, got);
  if (!differs.empty()) fail(progress, where + ", " + differs);
}

SequenceCheck::Progress SequenceCheck::settled(std::size_t index) const {
  const CallSequence& sequence = sequences_[index];
  Progress progress = progress_[index];
  const std::uint64_t end = std::min(sequence.lastFrame, framesPlayed_);
  if (end >= sequence.firstFrame && end != kLastFrame) closeFrame(sequence, progress, end + 1);
  return progress;
}

std::size_t SequenceCheck::failedLists() const {
  std::size_t failed = 0;
  for (std::size_t i = 0; i < sequences_.size(); ++i) failed += settled(i).firstFailure.empty() ? 0 : 1;
  return failed;
}

std::vector<std::string> SequenceCheck::failures(const std::string& source) const {
  // A change early in a session tends to change every frame after it: the
  // first few lines tell where, a count tells the rest.
  constexpr std::size_t kLinesTold = 5;
  std::vector<std::string> messages;
  std::size_t untold = 0;
  for (std::size_t i = 0; i < sequences_.size(); ++i) {
    const CallSequence& sequence = sequences_[i];
    const Progress progress = settled(i);
    if (progress.firstFailure.empty()) continue;
    if (messages.size() == kLinesTold) {
      ++untold;
      continue;
    }
    messages.push_back((sequence.source.empty() ? source : sequence.source) + ":" + std::to_string(sequence.line) + ": " + progress.firstFailure +
                       (progress.moreFrames == 0 ? "" : " (and " + std::to_string(progress.moreFrames) +
                                                            " more frames of the line differ)"));
  }
  if (untold != 0) messages.push_back(source + ": " + std::to_string(untold) + " more lines of ordered calls differ");
  return messages;
}

}  // namespace standin
