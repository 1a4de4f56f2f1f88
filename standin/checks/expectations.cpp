#include "checks/expectations.h"

#include <fstream>

#include "scenario/argument_values.h"
#include "base/native_names.h"
#include "base/quoted_text.h"
#include "scenario/scenario_words.h"
#include "trace/trace.h"
#include "checks/written_values.h"

namespace standin {

namespace {

// Argument `index` of `native` as the trace writes it: 16 hex digits, a quoted
// text, & or &0x and 8 hex digits (or the wider forms of parseWritten).
std::string parseArgument(const Token& token, std::uint64_t native, std::size_t index) {
  if (token.quoted) return quoteText(token.text);
  if (token.text == "&") return "&";
  if (token.text[0] == '&') return parseWrittenValue(token.text.substr(1), native, index);
  return hex(parseArgumentSlot(token, native, static_cast<unsigned>(index)), 16);
}

// "[frames F-L]" at the end of a line.
void parseOptionalFrames(Words& words, Expectation& expected) {
  if (words.done()) return;
  const Token& keyword = words.take("'frames'");
  if (keyword.quoted || (keyword.text != "frames" && keyword.text != "frame"))
    throw LineError("unexpected " + shownWord(keyword.text) + " (expected 'frames F-L' or the end of the line)");
  const FrameRange range = parseFrameRange(words.take("frame range"));
  expected.firstFrame = range.first;
  expected.lastFrame = range.last;
  words.expectEnd();
}

// "nothing", or "NATIVE ARG...; NATIVE ARG...", where ';' may stand alone or end a word.
void parseSequence(Words& words, std::vector<ExpectedCall>& calls) {
  if (words.peek() == "nothing") {
    words.take("'nothing'");
    words.expectEnd();
    return;
  }
  bool callEnded = true;
  while (!words.done()) {
    Token word = words.take("call");
    const bool endsCall = !word.quoted && !word.text.empty() && word.text.back() == ';';
    if (endsCall) word.text.pop_back();
    if (!word.text.empty() || word.quoted) {
      if (callEnded) calls.push_back({parseNative(word), {}});
      else calls.back().arguments.push_back(parseArgument(word, calls.back().native, calls.back().arguments.size()));
      callEnded = false;
    }
    if (endsCall) {
      if (callEnded) throw LineError("a ';' with no call before it");
      callEnded = true;
    }
  }
  if (calls.empty()) throw LineError("missing calls (or 'nothing') after the frames");
  if (callEnded) throw LineError("a ';' with no call after it");
}

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

Expectation parseExpectation(Words& words) {
  Expectation expected;
  const Token& kind = words.take(
      "kind of expectation (calls, call, no-call, line, frame, frames, debug, no-debug or no-reload-loss)");
  if (kind.quoted) throw LineError("unknown expectation " + shownWord(kind.text));
  if (kind.text == "line") {
    expected.kind = Expectation::Kind::Line;
    expected.file = words.take("file").text;
    expected.text = words.take("text of the line (quoted when it holds spaces)").text;
    words.expectEnd();
    return expected;
  }
  if (kind.text == "debug" || kind.text == "no-debug") {
    expected.kind = kind.text == "debug" ? Expectation::Kind::Debug : Expectation::Kind::NoDebug;
    expected.text = words.take("text of the output (quoted when it holds spaces)").text;
    parseOptionalFrames(words, expected);
    return expected;
  }
  if (kind.text == "no-reload-loss") {
    expected.kind = Expectation::Kind::NoReloadLoss;
    words.expectEnd();
    return expected;
  }
  if (kind.text == "calls") {
    expected.kind = Expectation::Kind::Calls;
    expected.native = parseNative(words.take("native"));
    expected.count = parseUnsigned(words.take("number of calls"), kLastFrame, "number of calls");
    parseOptionalFrames(words, expected);
  } else if (kind.text == "no-call") {
    expected.kind = Expectation::Kind::NoCall;
    expected.native = parseNative(words.take("native"));
    parseOptionalFrames(words, expected);
  } else if (kind.text == "call") {
    expected.kind = Expectation::Kind::Call;
    expected.native = parseNative(words.take("native"));
    if (words.peek() != "frame") throw LineError("missing 'frame F' after the native");
    words.take("'frame'");
    expected.firstFrame = expected.lastFrame = parseFrame(words.take("frame"));
    expected.anyArguments = words.done();
    while (!words.done())
      expected.arguments.push_back(parseArgument(words.take("argument"), expected.native, expected.arguments.size()));
  } else if (kind.text == "frame" || kind.text == "frames") {
    expected.kind = Expectation::Kind::Sequence;
    const FrameRange range = parseFrameRange(words.take("frame or frame range"));
    expected.firstFrame = range.first;
    expected.lastFrame = range.last;
    parseSequence(words, expected.sequence);
  } else {
    throw LineError("unknown expectation " + shownWord(kind.text) +
                    " (expected calls, call, no-call, line, frame, frames, debug, no-debug or no-reload-loss)");
  }
  return expected;
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
