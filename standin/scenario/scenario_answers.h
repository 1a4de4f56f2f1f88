#pragma once

#include <vector>

#include "answers.h"
#include "scenario_words.h"

namespace standin {

// Reads the rest of an 'answer' line: one answer per call in the frame,
// separated by 'then'. Each answer combines the parts
//   int V | whole V | float V | vector X Y Z   (the result slots; at most one of them)
//   out INDEX V                      (a 32-bit value written through argument INDEX)
// and may be 'zero' alone for an answer that is all zeros.
std::vector<Answer> parseAnswerSequence(Words& words);

// Reads the conditions after 'when': I=V words, V as expectations write
// argument I of `native` (a number, 0x bits, hash(TEXT), a float decimal for a
// declared float), or a "quoted text" for a text argument.
std::vector<ArgumentCondition> parseWhenConditions(Words& words, std::uint64_t native);

}  // namespace standin
