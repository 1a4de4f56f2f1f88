#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {
class AnswerBook;
}

// The cheapest host a plug-in could have: every native answered from a fixed
// table, nothing recorded, nothing allocated. It stands in the script host's
// place in the frame benchmarks, so a frame and its floor pay the same host
// cost and their ratio is the plug-in's own.
namespace null_host {

constexpr std::size_t kMaxArguments = 16;
constexpr int kNoOutVariable = -1;

// What a native answers: its result slots, and perhaps a 32-bit value
// written through its pointer argument.
struct Reply {
  std::uint64_t slots[3];
  int outArgument;
  bool writesOut;
  std::uint32_t outValue;
};

// A native that takes the address of a variable of the plug-in's.
struct OutVariable {
  std::uint64_t hash;
  int argument;
};

// One call or wait, as a check captures it.
struct Step {
  std::uint64_t hash;  // 0 for a wait
  std::uint32_t waitMs;
  std::uint32_t argumentCount;
  std::uint64_t arguments[kMaxArguments];
  int outArgument;
};

// Takes each native's first default answer from `book`, for the natives in
// `hashes`; every other native answers zero and writes nothing.
void answerAsBook(const standin::AnswerBook& book, const std::uint64_t* hashes, std::size_t count,
                  const OutVariable* outVariables, std::size_t outCount);

// Between these two, every call and wait is written to `steps` (at most
// `capacity`, no allocation); stop gives how many there were.
void startCapture(Step* steps, std::size_t capacity);
std::size_t stopCapture();

}  // namespace null_host
