#include <fstream>

#include "native_names.h"
#include "quoted_text.h"
#include "scenario.h"
#include "scenario_words.h"

namespace standin {

namespace {

// "0xHASH NAME": the name is the rest of the line, its words joined by one space.
void readNameLine(Words& words) {
  const Token& hash = words.take("native hash");
  if (hash.quoted || hash.text.rfind("0x", 0) != 0) throw LineError("expected a hash such as 0x867654CBC7606F2C, not '" + hash.text + "'");
  const std::uint64_t native = parseWhole(hash, "native hash");
  std::string name;
  while (!words.done()) {
    const Token& word = words.take("name");
    name += (name.empty() ? "" : " ") + word.text;
  }
  if (name.empty()) throw LineError("missing name after " + hash.text);
  // A name that reads as a number would be taken for a hash where natives are named.
  if (readsAsNumber(name))
    throw LineError("a name must not start like a number: '" + name + "'");
  addNativeName(native, name);
}

}  // namespace

void loadNamesFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError(path + ": cannot open the names file");
  std::string line;
  for (std::size_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
    try {
      Words words(tokenizeLine(line));
      if (!words.done()) readNameLine(words);
    } catch (const LineError& error) {
      throw ScenarioError(path + ":" + std::to_string(lineNumber) + ": " + printableText(error.what()));
    }
  }
}

}  // namespace standin
