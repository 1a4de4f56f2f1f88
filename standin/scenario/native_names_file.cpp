#include <fstream>

#include "base/native_names.h"
#include "base/protocol_rules.h"
#include "base/quoted_text.h"
#include "scenario/scenario.h"
#include "scenario/scenario_words.h"

namespace standin {

namespace {

ValueKind kindOf(const std::string& word, bool result) {
  ValueKind kind = ValueKind::Unknown;
  const bool known = kindNamed(word, kind);
  if (!known || (result && (kind == ValueKind::Text || isOutKind(kind))))
    throw LineError("unknown " + std::string(result ? "result" : "parameter") + " kind " + shownWord(word) +
                    (result ? " (expected int, handle, hash, bool, float, vector or whole)"
                            : " (expected int, handle, hash, bool, float, vector, text, out, out-float, out-vector, "
                              "out-whole or whole)"));
  return kind;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "(KIND, KIND) -> KIND", the result optional.
NativeSignature readDeclaration(const std::string& text) {
  const std::size_t close = text.find(')');
  if (close == std::string::npos) throw LineError("missing ')' after the parameters");
  NativeSignature signature;
  const std::string inside = trimmed(text.substr(1, close - 1));
  for (std::size_t at = 0; !inside.empty();) {
    const std::size_t comma = inside.find(',', at);
    const ValueKind kind = kindOf(trimmed(inside.substr(at, comma == std::string::npos ? comma : comma - at)), false);
    signature.parameters.push_back(kind);
    signature.slots.insert(signature.slots.end(), kind == ValueKind::Vector ? 3 : 1, kind);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (signature.slots.size() > kMostPushes)
    throw LineError(std::to_string(signature.slots.size()) + " argument slots, more than a call holds (" +
                    std::to_string(kMostPushes) + ")");
  const std::string rest = trimmed(text.substr(close + 1));
  if (!rest.empty()) {
    if (rest.rfind("->", 0) != 0) throw LineError("unexpected " + shownWord(rest) + " after the parameters (expected '-> KIND')");
    signature.result = kindOf(trimmed(rest.substr(2)), true);
  }
  signature.declaration = "(" + inside + ")" + (rest.empty() ? "" : " " + rest);
  return signature;
}

// "0xHASH NAME [(PARAMETERS) [-> RESULT]]": the name's words joined by one space.
void readNameLine(Words& words, const std::string& where) {
  const Token& hash = words.take("native hash");
  if (hash.quoted || hash.text.rfind("0x", 0) != 0)
    throw LineError("expected a hash such as 0x867654CBC7606F2C, not " + shownWord(hash.text));
  const std::uint64_t native = parseWhole(hash, "native hash");
  if (native == 0) throw LineError("no native has the hash 0x0: a name for it would name nothing");
  std::string name, declaration;
  while (!words.done()) {
    const Token& word = words.take("name");
    std::string& part = declaration.empty() && (word.quoted || word.text[0] != '(') ? name : declaration;
    part += (part.empty() ? "" : " ") + word.text;
  }
  if (name.empty()) throw LineError("missing name after " + hash.text);
  // A name that reads as a number would be taken for a hash where natives are named.
  if (readsAsNumber(name)) throw LineError("a name must not start like a number: " + shownWord(name));
  if (printableText(name) != name) throw LineError("a name holds printable characters only, not " + shownWord(name));
  addNativeName(native, name, where);
  if (!declaration.empty()) declareSignature(native, readDeclaration(declaration));
}

}  // namespace

void loadNamesFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw LineError("cannot open the names file " + shownWord(path));
  std::string line;
  for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (lineNumber == 1) skipByteOrderMark(line);
    const std::string where = path + ":" + std::to_string(lineNumber);
    try {
      Words words(tokenizeLine(line));
      if (!words.done()) readNameLine(words, where);
    } catch (const LineError& error) {
      throw ScenarioError(where + ": " + printableText(error.what()));
    }
  }
}

}  // namespace standin
