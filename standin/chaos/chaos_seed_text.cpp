#include "chaos/chaos_seed_text.h"

#include <sstream>

#include "scenario/answers.h"
#include "scenario/key_names.h"
#include "scenario/scenario_tokens.h"
#include "scenario/scenario_words.h"

namespace standin::chaos {

namespace {

// Reads the words of one line from `at` on; LineError when they run out.
class LineWords {
 public:
  explicit LineWords(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}
  bool more() const { return at_ < tokens_.size(); }
  bool next(const char* word) {
    if (!more() || tokens_[at_].quoted || tokens_[at_].text != word) return false;
    ++at_;
    return true;
  }
  const Token& take() {
    if (!more()) throw LineError("the line ends early");
    return tokens_[at_++];
  }

 private:
  std::vector<Token> tokens_;
  std::size_t at_ = 1;  // after the directive
};

void readVector(LineWords& words, std::uint32_t (&bits)[3]) {
  for (std::uint32_t& component : bits) component = parseFloatBits(words.take(), "component");
}

ChaosAnswer::Out readOut(LineWords& words) {
  ChaosAnswer::Out out{static_cast<unsigned>(parseUnsigned(words.take(), 31, "out slot")), 0, false};
  if (words.next("float")) {
    out.kind = ChaosAnswer::OutKind::Float;
    out.value = parseFloatBits(words.take(), "float");
  } else if (words.next("whole")) {
    out.kind = ChaosAnswer::OutKind::Whole;
    out.wide[0] = parseWhole(words.take(), "whole");
  } else if (words.next("vector")) {
    out.kind = ChaosAnswer::OutKind::Vector;
    std::uint32_t bits[3];
    readVector(words, bits);
    for (int i = 0; i < 3; ++i) out.wide[i] = bits[i];
  } else {
    const Token& value = words.take();
    out.isFloat = value.text.rfind("0x", 0) == 0;  // a float's bits are written in hex, an int in decimal
    out.value = parseWord(value, "out value");
  }
  return out;
}

ChaosAnswer readAnswer(LineWords& words) {
  ChaosAnswer answer;
  if (words.next("zero")) return answer;
  if (words.next("int")) {
    answer.result = ResultKind::Int;
    answer.value = parseWord(words.take(), "int");
  } else if (words.next("whole")) {
    answer.result = ResultKind::Whole;
    answer.value = parseWhole(words.take(), "whole");
  } else if (words.next("float")) {
    answer.result = ResultKind::Float;
    answer.value = parseFloatBits(words.take(), "float");
  } else if (words.next("vector")) {
    answer.result = ResultKind::Vector;
    readVector(words, answer.components);
  }
  while (words.next("out")) answer.outs.push_back(readOut(words));
  if (answer.result == ResultKind::None && answer.outs.empty()) throw LineError("no answer");
  return answer;
}

AnswerLine readAnswerLine(LineWords& words) {
  AnswerLine line;
  line.native = parseNative(words.take());
  if (line.native == 0) throw LineError("no such native");
  if (words.next("frame")) {
    line.first = line.last = parseFrame(words.take());
  } else if (words.next("frames")) {
    const FrameRange range = parseFrameRange(words.take());
    line.first = range.first;
    line.last = range.last == kLastFrame ? 0 : range.last;
  }
  do line.sequence.push_back(readAnswer(words));
  while (words.next("then"));
  return line;
}

KeyLine readKeyLine(LineWords& words) {
  KeyLine key;
  key.frame = parseFrame(words.take());
  key.code = parseKeyCode(words.take());
  key.up = words.next("up");
  if (words.more()) {
    const std::string repeats = words.take().text;
    if (repeats.rfind("repeats=", 0) != 0) throw LineError("not a key line");
    key.repeats = parseWord({repeats.substr(8), false}, "repeats");
  }
  return key;
}

}  // namespace

std::string seedText(const ChaosScenario& session, const std::vector<std::string>& comment) {
  ChaosScenario own = session;
  own.head.clear();
  own.baseLines.clear();
  return own.text(comment);
}

bool readSeedText(const std::string& text, const ChaosScenario& base, ChaosScenario& session) {
  session = base;
  std::istringstream in(text);
  std::string line;
  try {
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<Token> tokens = tokenizeLine(line);
      if (tokens.empty() || tokens[0].text == "strict") continue;
      const std::string directive = tokens[0].text;
      LineWords words(std::move(tokens));
      if (directive == "frames") session.frames = parseFrame(words.take());
      else if (directive == "answer") session.answers.push_back(readAnswerLine(words));
      else if (directive == "key") session.keys.push_back(readKeyLine(words));
      else if (directive == "reload") session.reloads.push_back(parseFrame(words.take()));
      else return false;
      if (words.more()) return false;
    }
  } catch (const LineError&) {
    return false;
  }
  return true;
}

}  // namespace standin::chaos
