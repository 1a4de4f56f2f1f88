#include "scenario_words.h"

namespace standin {

const Token& Words::take(const std::string& what) {
  if (done()) {
    const std::string after = next_ == 0 ? std::string() : " after '" + tokens_[next_ - 1].text + "'";
    throw LineError("missing " + what + after);
  }
  return tokens_[next_++];
}

void Words::expectEnd() const {
  if (!done()) throw LineError("unexpected '" + tokens_[next_].text + "' at the end of the line");
}

}  // namespace standin
