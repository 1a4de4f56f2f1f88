#include <algorithm>
#include <fstream>
#include <istream>
#include <sstream>

#include "scenario/key_names.h"
#include "scenario/scenario.h"
#include "scenario/scenario_parser.h"
#include "scenario/scenario_answers.h"
#include "scenario/when_slots.h"
#include "base/quoted_text.h"
#include "scenario/scenario_words.h"

namespace standin {

namespace {

constexpr std::uint64_t kLargestStallMs = 600000;
constexpr std::uint64_t kLargestArgumentIndex = 63;

std::pair<std::uint64_t, unsigned> parseNativeArgument(Words& words) {
  const std::uint64_t native = parseNative(words.take("native"));
  const auto index = static_cast<unsigned>(
      parseUnsigned(words.take("argument index"), kLargestArgumentIndex, "argument index"));
  words.expectEnd();
  return {native, index};
}

HostBool parseFlag(const Token& token, const char* what) {
  return static_cast<HostBool>(parseWord(token, what));
}

// "down" and "up" set the last two arguments as a key press and a release do.
void parseKeyField(const Token& token, KeyMessage& key) {
  if (token.text == "down" && !token.quoted) {
    key.wasDownBefore = 0;
    key.isUpNow = 0;
    return;
  }
  if (token.text == "up" && !token.quoted) {
    key.wasDownBefore = 1;
    key.isUpNow = 1;
    return;
  }
  const std::size_t equals = token.text.find('=');
  const std::string name = token.text.substr(0, equals);
  const Token value{equals == std::string::npos ? std::string() : token.text.substr(equals + 1), false};
  if (token.quoted || equals == std::string::npos) {
    throw LineError("unknown key field " + shownWord(token.text) +
                    " (expected down, up, repeats=, scan=, extended=, alt=, was-down= or up-now=)");
  } else if (name == "repeats") {
    key.repeats = static_cast<HostWord>(parseUnsigned(value, 0xFFFF, "repeats"));
  } else if (name == "scan") {
    key.scanCode = static_cast<HostByte>(parseUnsigned(value, 0xFF, "scan code"));
  } else if (name == "extended") {
    key.isExtended = parseFlag(value, "extended");
  } else if (name == "alt") {
    key.isWithAlt = parseFlag(value, "alt");
  } else if (name == "was-down") {
    key.wasDownBefore = parseFlag(value, "was-down");
  } else if (name == "up-now") {
    key.isUpNow = parseFlag(value, "up-now");
  } else {
    throw LineError("unknown key field " + shownWord(name) +
                    " (expected down, up, repeats=, scan=, extended=, alt=, was-down= or up-now=)");
  }
}

}  // namespace


void ScenarioParser::setOnce(std::size_t& seenOnLine, const std::string& directive) {
  if (seenOnLine != 0)
    throw LineError(shownWord(directive) + " given twice (first on " + lineWords(seenOnLine) + ")");
  seenOnLine = line_;
}

void ScenarioParser::parseLines(std::istream& in) {
  std::string line;
  for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (lineNumber == 1) skipByteOrderMark(line);
    places_.emplace_back(chain_.current(), lineNumber);
    const std::size_t ordinal = places_.size();
    try {
      Words words(tokenizeLine(line));
      parseLine(words, ordinal);
    } catch (const LineError& error) {
      throw ScenarioError(placeOf(ordinal) + ": " + printableText(error.what()));
    }
  }
}

// The included file's lines are read in place of the include line.
void ScenarioParser::parseInclude(Words& words) {
  const std::string written = words.take("included file").text;
  words.expectEnd();
  std::string text;
  scenario_.includes.push_back(chain_.enter(written, text));
  std::istringstream lines(text);
  parseLines(lines);
  chain_.leave();
}

void ScenarioParser::parseLine(Words& words, std::size_t ordinal) {
  line_ = ordinal;
  if (words.done()) return;
  const Token& directive = words.take("directive");
  if (directive.quoted) throw LineError("a line must start with a directive, not a quoted text");
  if (directive.text == "frames") {
    setOnce(framesLine_, "frames");
    scenario_.frames = parseFrame(words.take("number of frames"));
    words.expectEnd();
  } else if (directive.text == "fps") {
    setOnce(fpsLine_, "fps");
    scenario_.fps = static_cast<std::uint32_t>(parseUnsigned(words.take("frames per second"), GameClock::kLargestFps, "fps"));
    if (scenario_.fps == 0) throw LineError("fps must be at least 1");
    words.expectEnd();
  } else if (directive.text == "include") {
    parseInclude(words);
  } else if (directive.text == "folder") {
    if (chain_.current() != source_)
      throw LineError("'folder' belongs in the scenario itself, not in an included file");
    setOnce(folderLine_, "folder");
    scenario_.folder = words.take("working folder").text;
    if (scenario_.folder.empty()) throw LineError("the working folder must not be empty");
    words.expectEnd();
  } else if (directive.text == "answer") {
    parseAnswer(words);
  } else if (directive.text == "key") {
    parseKey(words);
  } else if (directive.text == "text-arg") {
    scenario_.textArguments.push_back(parseNativeArgument(words));
  } else if (directive.text == "out-arg") {
    scenario_.outArguments.push_back(parseNativeArgument(words));
  } else if (directive.text == "reload") {
    parseReload(words);
  } else if (directive.text == "cap") {
    parseCap(words);
  } else if (directive.text == "strict") {
    scenario_.strict = true;
    words.expectEnd();
  } else if (directive.text == "allow") {
    Rule rule;
    const Token& id = words.take("rule id");
    if (id.quoted || !ruleNamed(id.text, rule))
      throw LineError("unknown rule " + shownWord(id.text) + " (expected one of " + ruleIds() + ")");
    words.expectEnd();
    scenario_.allowed.push_back(rule);
  } else if (directive.text == "names") {
    // Loaded at once, so that later lines may name the natives.
    const std::string path = resolveWorkingFolder(chain_.current(), words.take("names file").text);
    words.expectEnd();
    scenario_.namesFiles.push_back(path);
    loadNamesFile(path);
  } else if (directive.text == "chaos") {
    // For the chaos run, which reads the base itself; a session plays without it.
  } else if (directive.text == "expect") {
    scenario_.expectations.push_back(parseExpectation(words));
    scenario_.expectations.back().line = line_;  // told by file and line once all are read
  } else {
    throw LineError("unknown directive " + shownWord(directive.text) +
                    " (expected frames, fps, folder, names, include, answer, key, reload, text-arg, out-arg, cap, strict, allow or "
                    "expect)");
  }
}

void ScenarioParser::parseAnswer(Words& words) {
  const std::uint64_t native = parseNative(words.take("native"));
  FrameRange range{1, kLastFrame};
  const bool everyFrame = words.peek() != "frame" && words.peek() != "frames";
  if (!everyFrame) {
    words.take("'frames'");
    range = parseFrameRange(words.take("frame or frame range"));
  }
  std::vector<ArgumentCondition> conditions;
  if (words.peek() == "when") {
    words.take("'when'");
    conditions = parseWhenConditions(words, native);
    for (const ArgumentCondition& condition : conditions)
      whenSlots_.push_back({line_, native, condition.index, condition.isText});
  }
  std::vector<Answer> sequence = parseAnswerSequence(words, native);
  for (Answer& answer : sequence) answer.timing.firstFrame = range.first;
  for (const Answer& answer : sequence) {
    for (const auto& write : answer.outWrites) {
      scenario_.outArguments.emplace_back(native, write.first);
      outWrites_.push_back({native, write.first, line_, 4});
    }
    for (const WideOut& write : answer.wideOutWrites) {
      scenario_.outArguments.emplace_back(native, write.index);
      outWrites_.push_back({native, write.index, line_, write.bytes()});
    }
  }
  if (!conditions.empty()) {
    scenario_.answers.setWhen(range.first, range.last, native, std::move(conditions), std::move(sequence));
  } else if (everyFrame) {
    scenario_.answers.setDefault(native, std::move(sequence));
  } else {
    scenario_.answers.setForFrames(range.first, range.last, native, std::move(sequence));
  }
}

void ScenarioParser::parseKey(Words& words) {
  KeyMessage key;
  key.frame = parseFrame(words.take("frame of the key message"));
  key.code = static_cast<HostDword>(parseKeyCode(words.take("key code")));
  while (!words.done()) parseKeyField(words.take("key field"), key);
  // In the order written; sorted by frame once all are read.
  keyLines_.push_back(line_);
  scenario_.keys.push_back(key);
}

// "reload F" before frame F; "reload every N" before frames N+1, 2N+1, ...
void ScenarioParser::parseReload(Words& words) {
  const Token& first = words.take("frame of the reload, or 'every'");
  if (first.text == "every" && !first.quoted) {
    setOnce(reloadEveryLine_, "reload every");
    reloadEvery_ = parseUnsigned(words.take("number of frames between reloads"), kLastFrame - 1, "number of frames");
    if (reloadEvery_ == 0) throw LineError("'reload every' needs a number of frames of 1 or more");
  } else {
    const std::uint64_t frame = parseFrame(first);
    if (frame == 1) throw LineError("the plug-in is loaded before frame 1 anyway: reload before frame 2 or later");
    reloadLines_.emplace_back(frame, line_);
  }
  words.expectEnd();
}

void ScenarioParser::parseCap(Words& words) {
  const Token& name = words.take("cap name (calls-per-frame, frames or stall-ms)");
  const Token& value = words.take("value of the cap");
  words.expectEnd();
  ScenarioCaps& caps = scenario_.caps;
  std::uint64_t* target = name.text == "calls-per-frame"   ? &caps.callsPerFrame
                          : name.text == "frames"          ? &caps.frames
                          : name.text == "stall-ms"        ? &caps.stallMs
                                                           : nullptr;
  if (!target || name.quoted)
    throw LineError("unknown cap " + shownWord(name.text) +
                    " (expected calls-per-frame, frames or stall-ms)");
  *target = parseUnsigned(value, target == &caps.stallMs ? kLargestStallMs : ScenarioCaps::kLargest, "cap");
  if (*target == 0) throw LineError("a cap must be at least 1");
  if (target == &caps.frames) capFramesLine_ = line_;
}


Scenario parseScenario(std::istream& in, const std::string& sourceName) {
  Scenario scenario;
  ScenarioParser parser(scenario, sourceName);
  parser.parseLines(in);
  parser.finish();
  return scenario;
}

Scenario loadScenarioFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError(path + ": cannot open the scenario file");
  return parseScenario(in, path);
}

}  // namespace standin
