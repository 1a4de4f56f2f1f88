// What a chaos session ended with: the stand-in's exit code and the place
// that tells one fault from another (a rule id, a crash's module and
// offset), read from its message; two findings with the same are one.
#pragma once

#include <cstdint>
#include <string>

namespace standin::chaos {

struct Verdict {
  int code = 0;
  std::string place;    // within the code: "ARG-KIND", "Plugin.asi+0x1377", ...
  std::string message;  // the stand-in's line, without "standin: "
  std::uint64_t frame = 0;  // of the trace's stop line; 0: none

  bool found() const { return code != 0; }
  bool sameAs(const Verdict& other) const { return code == other.code && place == other.place; }
  // A word for file names: crash, abort, stuck, ARG-KIND, ...
  std::string word() const;
};

// From the exit code, what the stand-in wrote to standard error, and the
// trace's last lines (its stop line, when there is one).
Verdict verdictOf(int code, const std::string& errorOutput, const std::string& traceTail);

}  // namespace standin::chaos
