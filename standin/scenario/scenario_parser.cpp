#include <algorithm>
#include <fstream>
#include <istream>
#include <sstream>

#include "key_names.h"
#include "scenario.h"
#include "scenario_answers.h"
#include "when_slots.h"
#include "quoted_text.h"
#include "scenario_words.h"
#include "standin_host.h"

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

// Lines are numbered in the order read, across included files; `places_`
// turns such a number back into a file and its line for messages.
class ScenarioParser {
 public:
  ScenarioParser(Scenario& scenario, std::string sourceName)
      : scenario_(scenario), source_(std::move(sourceName)), chain_(source_) {}

  // The lines of the innermost file of the chain; its errors name it.
  void parseLines(std::istream& in);
  void finish();

 private:
  void parseLine(Words& words, std::size_t ordinal);
  void parseInclude(Words& words);
  std::string placeOf(std::size_t ordinal) const {
    return places_[ordinal - 1].first + ":" + std::to_string(places_[ordinal - 1].second);
  }
  // "line N" within the file being read, "FILE:N" in another.
  std::string lineWords(std::size_t ordinal) const {
    const auto& [file, line] = places_[ordinal - 1];
    return file == chain_.current() ? "line " + std::to_string(line) : file + ":" + std::to_string(line);
  }
  void placeExpectations();
  void setOnce(std::size_t& seenOnLine, const std::string& directive);
  void parseAnswer(Words& words);
  void parseKey(Words& words);
  void parseReload(Words& words);
  void parseCap(Words& words);
  void expandReloads();
  void refuseOverlappingLists() const;
  void refuseOutWritesOnDeclaredSlots() const;
  [[noreturn]] void refuseAt(std::size_t lineNumber, const std::string& message) const {
    throw ScenarioError(placeOf(lineNumber) + ": " + message);
  }

  Scenario& scenario_;
  std::string source_;
  IncludeChain chain_;
  std::vector<std::pair<std::string, std::size_t>> places_;  // file, line
  std::size_t line_ = 0;
  std::size_t framesLine_ = 0;
  std::size_t fpsLine_ = 0;
  std::size_t folderLine_ = 0;
  std::size_t capFramesLine_ = 0;
  std::vector<std::size_t> keyLines_;
  std::size_t reloadEveryLine_ = 0;
  std::uint64_t reloadEvery_ = 0;
  std::vector<std::pair<std::uint64_t, std::size_t>> reloadLines_;  // frame, line
  struct OutWrite {
    std::uint64_t native;
    unsigned slot;
    std::size_t line;
    std::size_t bytes;
  };
  std::vector<OutWrite> outWrites_;
  std::vector<WhenSlot> whenSlots_;
};

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

std::string frameRangeWords(std::uint64_t first, std::uint64_t last) {
  if (first == last) return "frame " + std::to_string(first);
  return "frames " + std::to_string(first) + (last == kLastFrame ? "-" : "-" + std::to_string(last));
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

}  // namespace

void Scenario::applyTo(StandinHost& host) const {
  host.answers() = answers;
  for (const auto& [native, index] : textArguments) host.declareTextArgument(native, index);
  for (const auto& [native, index] : outArguments) host.declareOutArgument(native, index);
  for (Rule rule : allowed) host.allow(rule);
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
