#include "scenario_words.h"

namespace standin {

const Token& Words::take(const std::string& what) {
  if (done()) throw LineError("missing " + what);
  return tokens_[next_++];
}

void Words::expectEnd() const {
  if (!done()) throw LineError("unexpected '" + tokens_[next_].text + "' at the end of the line");
}

}  // namespace standin
