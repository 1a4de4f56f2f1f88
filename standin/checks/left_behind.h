// What a session left in a process that plays one session after another,
// told from marks of the process taken before and after it: a process is
// kept for the next session only when nothing was left, and a chaos run
// says what kept it from keeping one.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace standin {

struct ProcessMark {
  unsigned long threads = 0;
  unsigned long handles = 0;
  unsigned long modules = 0;
  // The first free TLS and fiber-local indexes: a slot taken and kept moves them.
  unsigned long firstFreeTls = 0;
  unsigned long firstFreeFls = 0;
  unsigned fpControl = 0;
  unsigned sseControl = 0;

  bool operator==(const ProcessMark& other) const;
  bool operator!=(const ProcessMark& other) const { return !(*this == other); }
};

// "2 more handles, a TLS slot, the FPU control, the locale": what differs
// between the marks, then `notPutBack` (what the process could not be given
// back, named as such); empty when nothing was left.
std::string whatWasLeft(const ProcessMark& before, const ProcessMark& after, const std::vector<std::string>& notPutBack);

// "a process was not kept after what passing sessions left in it: 1 more
// handle (12 sessions); the locale (1 session)"; empty when none was.
std::string leftBehindLine(const std::map<std::string, unsigned long long>& sessionsByWhatWasLeft);

}  // namespace standin
