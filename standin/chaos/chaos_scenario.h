// A chaos session as a model the generator fills and the shrinker cuts: the
// base scenario's lines, and the answers, keys and reloads added to them,
// each a value it can remove or make simpler; written out as a plain scenario.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin::chaos {

// What an answer puts into the result slots.
enum class ResultKind { None, Int, Whole, Float, Vector };

// One answer: a result and the out-variables it writes.
struct ChaosAnswer {
  ResultKind result = ResultKind::None;
  std::uint64_t value = 0;             // Int (32 bits), Whole, Float (its bits)
  std::uint32_t components[3] = {};    // Vector: the bits of x, y and z
  // A variable declared out-float, out-whole or out-vector is written as such.
  enum class OutKind { Word, Float, Whole, Vector };
  struct Out {
    unsigned index;
    std::uint32_t value;
    bool isFloat;  // written as a float's bits: shown as such
    OutKind kind = OutKind::Word;
    std::uint64_t wide[3] = {};  // Whole: wide[0]; Vector: the bits of x, y and z
  };
  std::vector<Out> outs;

  bool operator==(const ChaosAnswer& other) const;
};

// An answer line: every frame (first 0), one frame, or a range (last 0: to the end).
struct AnswerLine {
  std::uint64_t native = 0;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::vector<ChaosAnswer> sequence;  // one per call in the frame; the last repeats
};

struct KeyLine {
  std::uint64_t frame = 1;
  std::uint32_t code = 0;
  bool up = false;
  std::uint32_t repeats = 1;
};

// A line of the base kept as written; `frame` is the frame it names, which
// the session must reach (0: none).
struct BaseLine {
  std::string text;
  std::uint64_t frame = 0;
};

struct ChaosScenario {
  std::vector<std::string> head;  // names, fps, folder, caps, allow, text-arg, out-arg: never cut
  std::uint64_t frames = 10;
  std::vector<BaseLine> baseLines;  // the base's answers, keys, reloads and kept expectations
  std::vector<AnswerLine> answers;
  std::vector<KeyLine> keys;
  std::vector<std::uint64_t> reloads;

  // As a scenario file, with `comment` (lines without '#') at its top and
  // `strict` always; lines that name frames beyond `frames` are left out.
  std::string text(const std::vector<std::string>& comment = {}) const;
  // Its lines besides frames, names, strict and the head.
  std::size_t lineCount() const;
};

// How a float answer is written: a decimal that reads back to its bits, hex
// where none would.
std::string floatAnswerText(std::uint32_t bits);
// A native by its name when a names file gave one ('-' for spaces), else its hash.
std::string nativeText(std::uint64_t native);
std::string answerLineText(const AnswerLine& line);
std::string keyLineText(const KeyLine& key);

}  // namespace standin::chaos
