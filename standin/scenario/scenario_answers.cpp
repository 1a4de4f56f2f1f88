#include "scenario/scenario_answers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scenario/argument_values.h"
#include "base/native_names.h"
#include "base/quoted_text.h"

namespace standin {

namespace {

constexpr unsigned kLargestArgumentIndex = 63;

void setResult(Answer& answer, bool& resultSet, const Answer& parsed) {
  if (resultSet) throw LineError("an answer may hold only one of int, whole, float and vector");
  resultSet = true;
  for (int i = 0; i < 3; ++i) answer.slots[i] = parsed.slots[i];
  answer.timing = parsed.timing;
}

// "+N" or "-N" after game-ms or game-s; false when the next word is none.
bool takeOffset(Words& words, Token& offset) {
  const std::string next = words.peek();
  if (next.size() < 2 || (next[0] != '+' && next[0] != '-')) return false;
  const Token& word = words.take("offset");
  if (word.quoted) throw LineError("unexpected quoted text " + shownWord(word.text) + " (expected +N or -N)");
  offset = {word.text[0] == '+' ? word.text.substr(1) : word.text, false};
  if (word.text[1] == '+' || word.text[1] == '-') throw LineError("bad offset " + shownWord(word.text));
  return true;
}

// int V | int V step N | int game-ms [+N|-N]
Answer parseInt(Words& words) {
  const Token& value = words.take("value of 'int'");
  Answer answer;
  if (!value.quoted && value.text == "game-ms") {
    answer.timing.kind = Timing::Kind::GameMs;
    Token offset;
    if (takeOffset(words, offset)) answer.timing.value = parseWord(offset, "game-ms offset");
    return answer;
  }
  answer.slots[0] = parseWord(value, "int value");
  if (words.peek() == "step") {
    words.take("'step'");
    answer.timing.kind = Timing::Kind::Step;
    answer.timing.value = static_cast<std::uint32_t>(answer.slots[0]);
    answer.timing.step = parseWord(words.take("value added each frame after 'step'"), "step");
  }
  return answer;
}

// float V | float game-s [+V|-V]
Answer parseFloat(Words& words) {
  const Token& value = words.take("value of 'float'");
  if (value.quoted || value.text != "game-s") return Answer::ofWhole(parseFloatBits(value, "float value"));
  Answer answer;
  answer.timing.kind = Timing::Kind::GameSeconds;
  Token offset;
  if (takeOffset(words, offset)) {
    const std::uint32_t bits = parseFloatBits(offset, "game-s offset");
    float seconds;
    std::memcpy(&seconds, &bits, sizeof seconds);
    if (!std::isfinite(seconds)) throw LineError("bad game-s offset " + shownWord(offset.text) + ": expected a finite number");
    answer.timing.seconds = static_cast<double>(seconds);
  }
  return answer;
}

// out I V | out I float V | out I whole V | out I vector X Y Z; a bare V is
// read as the names file declares the variable (out-float, out-whole, out-vector).
void parseOut(Words& words, std::uint64_t native, Answer& answer) {
  const auto index = static_cast<unsigned>(
      parseUnsigned(words.take("argument index of 'out'"), kLargestArgumentIndex, "argument index"));
  const NativeSignature* signature = nativeSignature(native);
  const ValueKind declared = signature && index < signature->slots.size() ? signature->slots[index] : ValueKind::Out;
  std::string kind = words.peek();
  if (kind == "float" || kind == "whole" || kind == "vector") words.take("kind of 'out'");
  else kind = declared == ValueKind::OutFloat ? "float" : declared == ValueKind::OutWhole ? "whole"
            : declared == ValueKind::OutVector ? "vector" : "int";
  if (kind == "int") {
    answer.alsoOut(index, parseWord(words.take("value of 'out'"), "out value"));
  } else if (kind == "float") {
    answer.alsoOut(index, parseFloatBits(words.take("value of 'out'"), "out float"));
  } else if (kind == "whole") {
    WideOut wide;
    wide.index = index;
    wide.slots[0] = parseWhole(words.take("value of 'out'"), "out whole value");
    answer.wideOutWrites.push_back(wide);
  } else {
    WideOut wide;
    wide.index = index;
    wide.count = 3;
    for (std::uint64_t& slot : wide.slots) slot = parseFloatBits(words.take("x, y and z of 'out I vector'"), "vector component");
    answer.wideOutWrites.push_back(wide);
  }
}

// One part of an answer; false when `kind` names none.
bool parsePart(const std::string& kind, Words& words, std::uint64_t native, Answer& answer, bool& resultSet) {
  if (kind == "int") {
    setResult(answer, resultSet, parseInt(words));
  } else if (kind == "whole") {
    setResult(answer, resultSet, Answer::ofWhole(parseWhole(words.take("value of 'whole'"), "whole value")));
  } else if (kind == "float") {
    setResult(answer, resultSet, parseFloat(words));
  } else if (kind == "vector") {
    Answer vector;
    for (int i = 0; i < 3; ++i)
      vector.slots[i] = parseFloatBits(words.take("x, y and z of 'vector'"), "vector component");
    setResult(answer, resultSet, vector);
  } else if (kind == "out") {
    parseOut(words, native, answer);
  } else {
    return false;
  }
  return true;
}

Answer parseOneAnswer(Words& words, std::uint64_t native) {
  if (words.peek() == "zero") {
    words.take("answer");
    return Answer();
  }
  Answer answer;
  bool resultSet = false;
  bool any = false;
  while (!words.done() && words.peek() != "then") {
    const Token& kind = words.take("answer kind");
    if (!kind.quoted && (kind.text == "frame" || kind.text == "frames" || kind.text == "when"))
      throw LineError(shownWord(kind.text) + " after the answer: write 'frames' right after the native, then 'when', "
                      "then the answer (answer NATIVE frames F-L when I=V ANSWER)");
    if (kind.quoted || !parsePart(kind.text, words, native, answer, resultSet))
      throw LineError("unknown answer kind " + shownWord(kind.text) +
                      " (expected int, whole, float, vector, out or zero)");
    any = true;
  }
  if (!any) throw LineError("missing answer (int, whole, float, vector, out or zero)");
  return answer;
}

}  // namespace

std::vector<ArgumentCondition> parseWhenConditions(Words& words, std::uint64_t native) {
  std::vector<ArgumentCondition> conditions;
  while (!words.done() && words.peek().find('=') != std::string::npos) {
    const Token& word = words.take("condition");
    if (word.quoted) throw LineError("unexpected quoted text " + shownWord(word.text) + " (expected I=V or an answer)");
    const std::size_t equals = word.text.find('=');
    ArgumentCondition condition;
    condition.index = static_cast<unsigned>(
        parseUnsigned({word.text.substr(0, equals), false}, kLargestArgumentIndex, "argument index"));
    const std::string value = word.text.substr(equals + 1);
    if (value.empty()) throw LineError("missing value after " + shownWord(word.text));
    if (value[0] == '"') {
      std::size_t end = 0;
      if (!unquoteText(value, end, condition.text) || end != value.size())
        throw LineError("unterminated or badly escaped quoted text in " + shownWord(word.text));
      if (condition.text.find('\0') != std::string::npos) throw LineError("a text argument ends at its first NUL byte");
      condition.isText = true;
    } else if (value[0] == '&') {
      throw LineError("a 'when' cannot test an out-variable: " + shownWord(word.text));
    } else {
      condition.value = parseArgumentSlot({value, false}, native, condition.index);
    }
    const auto sameSlot = [&](const ArgumentCondition& other) { return other.index == condition.index; };
    if (std::any_of(conditions.begin(), conditions.end(), sameSlot))
      throw LineError("argument " + std::to_string(condition.index) + " tested twice");
    conditions.push_back(std::move(condition));
  }
  if (conditions.empty()) throw LineError("missing condition I=V after 'when'");
  return conditions;
}

std::vector<Answer> parseAnswerSequence(Words& words, std::uint64_t native) {
  std::vector<Answer> sequence{parseOneAnswer(words, native)};
  while (!words.done()) {
    const Token& separator = words.take("'then'");
    if (separator.quoted || separator.text != "then")
      throw LineError("unexpected " + shownWord(separator.text) + " after 'zero' (expected 'then')");
    sequence.push_back(parseOneAnswer(words, native));
  }
  return sequence;
}

}  // namespace standin
