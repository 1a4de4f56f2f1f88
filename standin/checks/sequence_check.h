#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scenario/answers.h"
#include "scenario/expectation.h"
#include "trace/trace_event.h"

namespace standin {

// Frames that must each make exactly these calls, in this order.
struct CallSequence {
  std::size_t line = 0;  // in the scenario file
  std::string source;    // the included file the line is in; empty: the scenario's own
  std::uint64_t firstFrame = 1;
  std::uint64_t lastFrame = 0;
  std::vector<ExpectedCall> calls;
};

// Checks the calls of a session, as they pass, against the ordered lists of
// a scenario, as a replay does: a changed argument, a swapped, missing or
// extra call fails the frame. Each list tells its first difference and how
// many more of its frames differ.
class SequenceCheck {
 public:
  void add(CallSequence sequence);
  void setFramesPlayed(std::uint64_t frames) { framesPlayed_ = frames; }
  void see(const HostEvent& call);
  // "SOURCE:LINE: frame F, call N of NATIVE: argument I expected A, got B", one per list that failed.
  std::vector<std::string> failures(const std::string& source) const;
  // How many lists failed, told or not.
  std::size_t failedLists() const;

 private:
  // Where one list stands: the frame it is counting and what it found so far.
  struct Progress {
    std::uint64_t frame = 0;  // 0: none yet
    std::size_t calls = 0;    // in that frame
    bool frameFailed = false;
    std::string firstFailure;
    std::uint64_t moreFrames = 0;  // that differ, after the first
  };

  // A list's progress with its last frame closed, as the session ended.
  Progress settled(std::size_t index) const;
  // The list that covers a frame, or npos.
  std::size_t listFor(std::uint64_t frame) const;
  void fail(Progress& progress, const std::string& what) const;
  // Ends the frame a list was counting, and tells the frames before `upTo` in which it saw no call.
  void closeFrame(const CallSequence& sequence, Progress& progress, std::uint64_t upTo) const;

  std::vector<CallSequence> sequences_;
  std::vector<Progress> progress_;
  std::map<std::uint64_t, std::size_t> byFirstFrame_;
  std::uint64_t framesPlayed_ = ~std::uint64_t{0};
};

}  // namespace standin
