#pragma once

#include <vector>

#include "scenario/answers.h"
#include "scenario/scenario_words.h"

namespace standin {

// Reads the rest of an 'answer' line: one answer per call in the frame,
// separated by 'then'. Each answer combines the parts
//   int V | whole V | float V | vector X Y Z   (the result slots; at most one of them)
//   int game-ms [+N|-N] | float game-s [+V|-V] | int V step N   (by game time)
//   out INDEX [float|whole|vector] V...   (written through argument INDEX; a
//                                          bare V as `native`'s names file declares it)
// and may be 'zero' alone for an answer that is all zeros.
std::vector<Answer> parseAnswerSequence(Words& words, std::uint64_t native = 0);

// Reads the conditions after 'when': I=V words, V as expectations write
// argument I of `native` (a number, 0x bits, hash(TEXT), a float decimal for a
// declared float), or a "quoted text" for a text argument.
std::vector<ArgumentCondition> parseWhenConditions(Words& words, std::uint64_t native);

}  // namespace standin
