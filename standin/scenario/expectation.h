#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenario/answers.h"

namespace standin {

class Words;

// One call of an ordered list: its native and its arguments as the trace writes them.
struct ExpectedCall {
  std::uint64_t native = 0;
  std::vector<std::string> arguments;
};

// What a scenario says the session must show, checked when it ends.
struct Expectation {
  enum class Kind { Calls, Call, NoCall, Line, Sequence, NoReloadLoss, Debug, NoDebug };
  Kind kind = Kind::Calls;
  std::size_t line = 0;  // in the scenario file
  std::string source;    // the included file the line is in; empty: the scenario's own
  std::uint64_t native = 0;
  std::uint64_t count = 0;  // Calls: exactly this many
  std::uint64_t firstFrame = 1;
  std::uint64_t lastFrame = kLastFrame;
  bool anyArguments = true;        // Call: no arguments were given
  std::vector<std::string> arguments;  // Call: each as the trace writes it
  std::string file;  // Line: relative to the working folder
  std::string text;  // Line, Debug, NoDebug: '*' stands for any run of characters
  std::vector<ExpectedCall> sequence;  // Sequence: every call of each frame, in order
};

// Reads what follows "expect" on a scenario line; throws LineError.
//   calls NATIVE N [frames F-L] | call NATIVE frame F [ARG...]
//   no-call NATIVE [frames F-L] | line FILE TEXT | no-reload-loss
//   frame F CALL; CALL; ... | frames F-L CALL; ... | frames F-L nothing
//   debug TEXT [frames F-L] | no-debug TEXT [frames F-L]
// where CALL is NATIVE ARG...
Expectation parseExpectation(Words& words);

}  // namespace standin
