// `expect debug` and `expect no-debug`: the plug-in's own output, as the
// trace's debug lines hold it, matched as `expect line` matches a file's lines.
#include "checks/expectations.h"
#include "base/quoted_text.h"

namespace standin {


// `calls` counts the matching lines; `otherArguments` keeps the first line
// of the frames for a debug line that none matched, the first match for a no-debug.
void ExpectationCheck::seeDebug(const HostEvent& event) {
  for (std::size_t i : debugExpectations_) {
    const Expectation& expected = expectations_[i];
    Seen& seen = seen_[i];
    if (event.frame < expected.firstFrame || event.frame > expected.lastFrame) continue;
    const bool matches = matchesLine(expected.text, event.detail);
    if (seen.otherArguments.empty() || (matches && seen.calls == 0 && expected.kind == Expectation::Kind::NoDebug))
      seen.otherArguments = quoteText(event.detail);
    if (!matches) continue;
    ++seen.calls;
    if (!seen.frames.empty() && seen.frames.back() == event.frame) continue;
    if (seen.frames.size() < kFramesNamed) seen.frames.push_back(event.frame);
    else seen.moreFrames = true;
  }
}

std::string ExpectationCheck::debugFailure(const Expectation& expected, const Seen& seen,
                                           const std::string& where) const {
  const std::string frames = framesWords(expected);
  if (expected.kind == Expectation::Kind::Debug) {
    if (seen.calls != 0) return "";
    return where + "debug output " + quoteText(expected.text) + frames + ", but " +
           (seen.otherArguments.empty() ? "the plug-in wrote none there"
                                        : "no line of it matches (the first: " + seen.otherArguments + ")");
  }
  if (seen.calls == 0) return "";
  return where + "no debug output " + quoteText(expected.text) + frames + ", got " + std::to_string(seen.calls) +
         " (in " + listOfFrames(seen.frames, seen.moreFrames) + "; the first: " + seen.otherArguments + ")";
}

}  // namespace standin
