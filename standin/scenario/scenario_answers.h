#pragma once

#include <vector>

#include "answers.h"
#include "scenario_words.h"

namespace standin {

// Reads the rest of an 'answer' line: one answer per call in the frame,
// separated by 'then'. Each answer combines the parts
//   int V | whole V | vector X Y Z   (the result slots; at most one of them)
//   out INDEX V                      (a 32-bit value written through argument INDEX)
// and may be 'zero' alone for an answer that is all zeros.
std::vector<Answer> parseAnswerSequence(Words& words);

}  // namespace standin
