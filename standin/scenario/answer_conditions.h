#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scenario/answer.h"

namespace standin {

// The argument slots of one call, read where the host holds them, so that
// answering a call allocates nothing.
class CallArguments {
 public:
  CallArguments(const std::uint64_t* slots, std::size_t count) : slots_(slots), count_(count) {}
  CallArguments(const std::vector<std::uint64_t>& slots) : slots_(slots.data()), count_(slots.size()) {}  // NOLINT
  std::size_t size() const { return count_; }
  std::uint64_t operator[](std::size_t index) const { return slots_[index]; }

 private:
  const std::uint64_t* slots_;
  std::size_t count_;
};

// What one argument slot of a call must hold for a `when` line to answer it:
// a slot value, or the text its address points to.
struct ArgumentCondition {
  unsigned index = 0;
  bool isText = false;
  std::uint64_t value = 0;
  std::string text;
};

// The `when` lines of a scenario: answers that depend on the call's
// arguments. Of the lines that match a call, the later one answers; each
// line counts the calls it matched within a frame, for its `then` sequence.
class ConditionalAnswers {
 public:
  void add(std::uint64_t hash, std::uint64_t first, std::uint64_t last, std::vector<ArgumentCondition> conditions,
           std::vector<Answer> perCall);
  bool empty() const { return lines_.empty(); }
  void clear();
  // Null when no line matches. `args` are the slots as pushed: a text
  // condition reads the text at its slot's address.
  const Answer* answer(std::uint64_t frame, std::uint64_t hash, CallArguments args);

 private:
  struct Line {
    std::uint64_t first, last;
    std::vector<ArgumentCondition> conditions;
    std::vector<Answer> perCall;
    std::uint64_t countedFrame = 0;  // the frame `matched` counts in
    std::size_t matched = 0;
  };
  static bool matches(const Line& line, CallArguments args);

  std::vector<Line> lines_;
  std::map<std::uint64_t, std::vector<std::size_t>> byNative_;  // indexes in lines_, ascending
};

}  // namespace standin
