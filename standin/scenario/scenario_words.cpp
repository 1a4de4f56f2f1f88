#include "scenario/scenario_words.h"

#include "base/native_names.h"

namespace standin {

const Token& Words::take(const std::string& what) {
  if (done()) throw LineError("missing " + what);
  return tokens_[next_++];
}

void Words::expectEnd() const {
  if (!done()) throw LineError("unexpected " + shownWord(tokens_[next_].text) + " at the end of the line");
}

std::uint64_t parseFrame(const Token& token) {
  const std::uint64_t frame = parseUnsigned(token, kLastFrame - 1, "frame");
  if (frame == 0) throw LineError("frames are numbered from 1");
  return frame;
}

FrameRange parseFrameRange(const Token& token) {
  const std::size_t dash = token.text.find('-');
  if (token.quoted || dash == std::string::npos) {
    const std::uint64_t frame = parseFrame(token);
    return {frame, frame};
  }
  const FrameRange range{parseFrame({token.text.substr(0, dash), false}),
                         dash + 1 == token.text.size() ? kLastFrame
                                                       : parseFrame({token.text.substr(dash + 1), false})};
  if (range.last < range.first) throw LineError("frame range " + shownWord(token.text) + " ends before it starts");
  return range;
}

bool readsAsNumber(const std::string& text) {
  return !text.empty() && ((text[0] >= '0' && text[0] <= '9') || text.rfind("hash(", 0) == 0);
}

std::uint64_t parseNative(const Token& token) {
  if (!token.quoted && readsAsNumber(token.text)) return parseWhole(token, "native hash");
  const std::uint64_t hash = nativeHashByName(token.text);
  if (hash == 0)
    throw LineError("unknown native " + shownWord(token.text) +
                    " (expected a hash such as 0x867654CBC7606F2C, or a name from a 'names' file)");
  return hash;
}

}  // namespace standin
