#include "scenario_answers.h"

namespace standin {

namespace {

constexpr unsigned kLargestArgumentIndex = 63;

void setResult(Answer& answer, bool& resultSet, const Answer& parsed) {
  if (resultSet) throw LineError("an answer may hold only one of int, whole and vector");
  resultSet = true;
  for (int i = 0; i < 3; ++i) answer.slots[i] = parsed.slots[i];
}

// One part of an answer; false when `kind` names none.
bool parsePart(const std::string& kind, Words& words, Answer& answer, bool& resultSet) {
  if (kind == "int") {
    setResult(answer, resultSet, Answer::ofWhole(parseWord(words.take("value of 'int'"), "int value")));
  } else if (kind == "whole") {
    setResult(answer, resultSet, Answer::ofWhole(parseWhole(words.take("value of 'whole'"), "whole value")));
  } else if (kind == "vector") {
    Answer vector;
    for (int i = 0; i < 3; ++i)
      vector.slots[i] = parseFloatBits(words.take("x, y and z of 'vector'"), "vector component");
    setResult(answer, resultSet, vector);
  } else if (kind == "out") {
    const auto index = static_cast<unsigned>(
        parseUnsigned(words.take("argument index of 'out'"), kLargestArgumentIndex, "argument index"));
    answer.alsoOut(index, parseWord(words.take("value of 'out'"), "out value"));
  } else {
    return false;
  }
  return true;
}

Answer parseOneAnswer(Words& words) {
  if (words.peek() == "zero") {
    words.take("answer");
    return Answer();
  }
  Answer answer;
  bool resultSet = false;
  bool any = false;
  while (!words.done() && words.peek() != "then") {
    const Token& kind = words.take("answer kind");
    if (kind.quoted || !parsePart(kind.text, words, answer, resultSet))
      throw LineError("unknown answer kind " + shownWord(kind.text) + " (expected int, whole, vector, out or zero)");
    any = true;
  }
  if (!any) throw LineError("missing answer (int, whole, vector, out or zero)");
  return answer;
}

}  // namespace

std::vector<Answer> parseAnswerSequence(Words& words) {
  std::vector<Answer> sequence{parseOneAnswer(words)};
  while (!words.done()) {
    const Token& separator = words.take("'then'");
    if (separator.quoted || separator.text != "then")
      throw LineError("unexpected " + shownWord(separator.text) + " after 'zero' (expected 'then')");
    sequence.push_back(parseOneAnswer(words));
  }
  return sequence;
}

}  // namespace standin
