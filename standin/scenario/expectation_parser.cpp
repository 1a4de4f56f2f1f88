// Expectations as scenario lines write them, read into what the checks watch.
#include "scenario/expectation.h"

#include "base/native_names.h"
#include "base/quoted_text.h"
#include "scenario/argument_values.h"
#include "scenario/scenario_words.h"
#include "scenario/written_values.h"

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

}  // namespace

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

}  // namespace standin
