#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenario/answers.h"
#include "scenario/scenario_tokens.h"

namespace standin {

// The words of one scenario line, taken in order; running out is a LineError.
class Words {
 public:
  explicit Words(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool done() const { return next_ >= tokens_.size(); }
  // The next word, or empty at the end of the line.
  std::string peek() const { return done() ? std::string() : tokens_[next_].text; }
  // The next word; `what` names what was expected when there is none.
  const Token& take(const std::string& what);
  // Refuses anything left on the line.
  void expectEnd() const;

 private:
  std::vector<Token> tokens_;
  std::size_t next_ = 0;
};

struct FrameRange {
  std::uint64_t first;
  std::uint64_t last;
};

// Whether a word starts like a number (a digit, or "hash(").
bool readsAsNumber(const std::string& text);
// A native: its hash, or a name from a names file with '-' or '_' for its spaces.
std::uint64_t parseNative(const Token& token);

// A frame number, from 1.
std::uint64_t parseFrame(const Token& token);
// "F", "F-L", or "F-" for F to kLastFrame.
FrameRange parseFrameRange(const Token& token);

}  // namespace standin
