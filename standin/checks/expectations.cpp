#include "checks/expectations.h"

#include <fstream>

#include "scenario/argument_values.h"
#include "base/native_names.h"
#include "base/quoted_text.h"
#include "scenario/scenario_words.h"
#include "trace/trace.h"
#include "scenario/written_values.h"

namespace standin {

namespace {

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

}  // namespace

std::string framesWords(const Expectation& expected) {
  if (expected.firstFrame == 1 && expected.lastFrame == kLastFrame) return "";
  if (expected.firstFrame == expected.lastFrame) return " in frame " + std::to_string(expected.firstFrame);
  if (expected.lastFrame == kLastFrame) return " from frame " + std::to_string(expected.firstFrame) + " on";
  return " in frames " + std::to_string(expected.firstFrame) + "-" + std::to_string(expected.lastFrame);
}

std::string listOfFrames(const std::vector<std::uint64_t>& frames, bool more) {
  std::string text = frames.size() == 1 ? "frame " : "frames ";
  for (std::size_t i = 0; i < frames.size(); ++i) text += (i ? ", " : "") + std::to_string(frames[i]);
  return more ? text + " ..." : text;
}

ExpectationCheck::ExpectationCheck(std::vector<Expectation> expectations, std::string source)
    : expectations_(std::move(expectations)), seen_(expectations_.size()), source_(std::move(source)) {
  for (std::size_t i = 0; i < expectations_.size(); ++i) {
    const Expectation& expected = expectations_[i];
    if (expected.kind == Expectation::Kind::Sequence)
      sequences_.add({expected.line, expected.source, expected.firstFrame, expected.lastFrame, expected.sequence});
    else if (expected.kind == Expectation::Kind::Debug || expected.kind == Expectation::Kind::NoDebug)
      debugExpectations_.push_back(i);
    else if (expected.kind != Expectation::Kind::Line && expected.kind != Expectation::Kind::NoReloadLoss)
      byNative_[expected.native].push_back(i);
  }
}

void ExpectationCheck::see(const HostEvent& event) {
  if (event.kind == EventKind::Debug) seeDebug(event);
  if (event.kind != EventKind::Call) return;
  sequences_.see(event);
  const auto own = byNative_.find(event.hash);
  if (own == byNative_.end()) return;
  for (std::size_t i : own->second) {
    const Expectation& expected = expectations_[i];
    Seen& seen = seen_[i];
    const bool inFrames = event.frame >= expected.firstFrame && event.frame <= expected.lastFrame;
    const bool listed = expected.kind == Expectation::Kind::Call || inFrames;
    if (listed && (seen.frames.empty() || seen.frames.back() != event.frame)) {
      if (seen.frames.size() < kFramesNamed) seen.frames.push_back(event.frame);
      else seen.moreFrames = true;
    }
    if (!inFrames) continue;
    ++seen.calls;
    if (expected.kind != Expectation::Kind::Call || seen.matched) continue;
    std::vector<std::string> arguments;
    for (unsigned a = 0; a < event.args.size(); ++a) arguments.push_back(traceArgument(event, a));
    seen.matched = expected.anyArguments || arguments == expected.arguments;
    if (seen.otherArguments.empty()) seen.otherArguments = arguments.empty() ? "none" : joined(arguments);
  }
}

void ExpectationCheck::seeUsage(std::vector<UsageSample> afterEachUnload) { usage_ = std::move(afterEachUnload); }

bool ExpectationCheck::watchesUsage() const {
  for (const auto& expected : expectations_)
    if (expected.kind == Expectation::Kind::NoReloadLoss) return true;
  return false;
}

std::string ExpectationCheck::reloadLossFailure() const {
  if (usage_.size() < kFewestUnloadsJudged)
    return "got " + std::to_string(usage_.size()) + " unloads, too few to tell (at least " +
           std::to_string(kFewestUnloadsJudged) + ": 'reload every N')";
  const std::string verdict = reloadLossVerdict(usage_);
  return verdict.empty() ? "" : "got: " + verdict;
}

std::string ExpectationCheck::lineFailure(const Expectation& expected, const std::string& folder) const {
  std::ifstream in(folder.empty() ? expected.file : folder + "/" + expected.file, std::ios::binary);
  if (!in) return "there is no such file";
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line); ++lines) {
    // Files written in Windows text mode end their lines in CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (matchesLine(expected.text, line)) return "";
  }
  return "none of its " + std::to_string(lines) + " lines matches";
}

std::string ExpectationCheck::failureOf(std::size_t index, const std::string& folder) const {
  const Expectation& expected = expectations_[index];
  const Seen& seen = seen_[index];
  const std::string where =
      (expected.source.empty() ? source_ : expected.source) + ":" + std::to_string(expected.line) + ": expected ";
  const std::string native = nativeWords(expected.native);
  const std::string inFrames = seen.frames.empty() ? "" : " (in " + listOfFrames(seen.frames, seen.moreFrames) + ")";
  switch (expected.kind) {
    case Expectation::Kind::Calls:
      if (seen.calls == expected.count) return "";
      return where + std::to_string(expected.count) + " calls of " + native + framesWords(expected) + ", got " +
             std::to_string(seen.calls) + inFrames;
    case Expectation::Kind::NoCall:
      if (seen.calls == 0) return "";
      return where + "no call of " + native + framesWords(expected) + ", got " + std::to_string(seen.calls) + inFrames;
    case Expectation::Kind::Call: {
      if (seen.matched) return "";
      std::string message = where + "a call of " + native + framesWords(expected);
      if (!expected.anyArguments) message += " with " + joined(expected.arguments);
      if (seen.calls != 0)
        message += ", got " + std::to_string(seen.calls) + " with other arguments (the first: " + seen.otherArguments + ")";
      else if (seen.frames.empty())
        message += ", but it was never called";
      else
        message += ", got none there (it was called in " + listOfFrames(seen.frames, seen.moreFrames) + ")";
      return message;
    }
    case Expectation::Kind::Line: {
      const std::string failure = lineFailure(expected, folder);
      return failure.empty() ? ""
                             : where + "a line " + quoteText(expected.text) + " in " + expected.file + ", but " + failure;
    }
    case Expectation::Kind::NoReloadLoss: {
      const std::string failure = reloadLossFailure();
      return failure.empty() ? "" : where + "nothing lost across reloads; " + failure;
    }
    case Expectation::Kind::Debug:
    case Expectation::Kind::NoDebug: return debugFailure(expected, seen, where);
    case Expectation::Kind::Sequence: break;  // told by the check of ordered lists
  }
  return "";
}

std::vector<std::string> ExpectationCheck::failures(const std::string& folder) const {
  std::vector<std::string> messages;
  for (std::size_t i = 0; i < expectations_.size(); ++i) {
    std::string failure = failureOf(i, folder);
    if (!failure.empty()) messages.push_back(std::move(failure));
  }
  for (std::string& failure : sequences_.failures(source_)) messages.push_back(std::move(failure));
  return messages;
}

std::size_t ExpectationCheck::metCount(const std::string& folder) const {
  std::size_t failed = sequences_.failedLists();
  for (std::size_t i = 0; i < expectations_.size(); ++i) failed += failureOf(i, folder).empty() ? 0 : 1;
  return expectations_.size() - failed;
}

bool matchesLine(const std::string& pattern, const std::string& line) {
  std::size_t p = 0, l = 0, star = std::string::npos, resume = 0;
  while (l < line.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = l;
    } else if (p < pattern.size() && pattern[p] == line[l]) {
      ++p;
      ++l;
    } else if (star != std::string::npos) {
      p = star + 1;
      l = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace standin
