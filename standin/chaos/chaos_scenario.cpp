#include "chaos/chaos_scenario.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/float_text.h"
#include "scenario/key_names.h"
#include "base/native_names.h"
#include "base/quoted_text.h"

namespace standin::chaos {

namespace {

// A float as a decimal that reads back to its bits; hex where a decimal
// would not travel (NaNs, infinities, denormals).
std::string floatComponent(std::uint32_t bits) {
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  if (std::fpclassify(value) == FP_SUBNORMAL) return hex(bits, 8);
  return floatText(bits);
}

std::string intText(std::uint32_t bits) { return std::to_string(static_cast<std::int32_t>(bits)); }

std::string answerText(const ChaosAnswer& answer) {
  std::string text;
  switch (answer.result) {
    case ResultKind::None: break;
    case ResultKind::Int: text = "int " + intText(static_cast<std::uint32_t>(answer.value)); break;
    case ResultKind::Whole: text = "whole " + hex(answer.value, 1); break;
    case ResultKind::Float: text = floatAnswerText(static_cast<std::uint32_t>(answer.value)); break;
    case ResultKind::Vector:
      text = "vector " + floatComponent(answer.components[0]) + " " + floatComponent(answer.components[1]) + " " +
             floatComponent(answer.components[2]);
      break;
  }
  for (const ChaosAnswer::Out& out : answer.outs) {
    if (!text.empty()) text += " ";
    text += "out " + std::to_string(out.index) + " ";
    switch (out.kind) {
      case ChaosAnswer::OutKind::Word: text += out.isFloat ? hex(out.value, 8) : intText(out.value); break;
      case ChaosAnswer::OutKind::Float: text += floatAnswerText(out.value); break;
      case ChaosAnswer::OutKind::Whole: text += "whole " + hex(out.wide[0], 1); break;
      case ChaosAnswer::OutKind::Vector:
        text += "vector";
        for (const std::uint64_t component : out.wide) text += " " + floatComponent(static_cast<std::uint32_t>(component));
        break;
    }
  }
  return text.empty() ? "zero" : text;
}

}  // namespace

bool ChaosAnswer::operator==(const ChaosAnswer& other) const {
  if (result != other.result || value != other.value || outs.size() != other.outs.size()) return false;
  for (int i = 0; i < 3; ++i)
    if (components[i] != other.components[i]) return false;
  for (std::size_t i = 0; i < outs.size(); ++i)
    if (outs[i].index != other.outs[i].index || outs[i].value != other.outs[i].value || outs[i].kind != other.outs[i].kind ||
        !std::equal(outs[i].wide, outs[i].wide + 3, other.outs[i].wide))
      return false;
  return true;
}

std::string floatAnswerText(std::uint32_t bits) { return "float " + floatComponent(bits); }

std::string nativeText(std::uint64_t native) {
  std::string name = nativeName(native);
  if (name.empty()) return hex(native, 16);
  for (char& c : name)
    if (c == ' ') c = '-';
  return name;
}

std::string answerLineText(const AnswerLine& line) {
  std::string text = "answer " + nativeText(line.native);
  if (line.first != 0 && line.first == line.last) text += " frame " + std::to_string(line.first);
  else if (line.first != 0)
    text += " frames " + std::to_string(line.first) + "-" + (line.last != 0 ? std::to_string(line.last) : "");
  for (std::size_t i = 0; i < line.sequence.size(); ++i) text += (i == 0 ? " " : " then ") + answerText(line.sequence[i]);
  return text;
}

std::string keyLineText(const KeyLine& key) {
  const std::string name = keyNameOf(key.code);
  std::string text = "key " + std::to_string(key.frame) + " " + (name.empty() ? hex(key.code, 2) : name);
  if (key.up) text += " up";
  if (key.repeats != 1) text += " repeats=" + std::to_string(key.repeats);
  return text;
}

std::string ChaosScenario::text(const std::vector<std::string>& comment) const {
  std::string text;
  for (const std::string& line : comment) text += "# " + line + "\n";
  for (const std::string& line : head) text += line + "\n";
  text += "frames " + std::to_string(frames) + "\nstrict\n";
  for (const BaseLine& line : baseLines)
    if (line.frame <= frames) text += line.text + "\n";
  for (const AnswerLine& line : answers)
    if (line.first <= frames) text += answerLineText(line) + "\n";
  for (const KeyLine& key : keys)
    if (key.frame <= frames) text += keyLineText(key) + "\n";
  for (std::uint64_t reload : reloads)
    if (reload <= frames) text += "reload " + std::to_string(reload) + "\n";
  return text;
}

std::size_t ChaosScenario::lineCount() const {
  std::size_t count = 0;
  for (const BaseLine& line : baseLines) count += line.frame <= frames;
  for (const AnswerLine& line : answers) count += line.first <= frames;
  for (const KeyLine& key : keys) count += key.frame <= frames;
  for (std::uint64_t reload : reloads) count += reload <= frames;
  return count;
}

}  // namespace standin::chaos
