#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scenario/answers.h"
#include "scenario/expectation.h"
#include "checks/reload_usage.h"
#include "checks/sequence_check.h"
#include "trace/trace_event.h"

namespace standin {

// Watches a session's events as they pass, then tells which expectations failed.
class ExpectationCheck {
 public:
  // `source` names the scenario file in messages.
  ExpectationCheck(std::vector<Expectation> expectations, std::string source);

  void see(const HostEvent& event);
  // What the process had left after each unload, for no-reload-loss.
  void seeUsage(std::vector<UsageSample> afterEachUnload);
  bool watchesUsage() const;
  // One message per failed expectation, "SOURCE:LINE: expected ...; got ...".
  // Files are read relative to `folder` (empty: the current folder).
  std::vector<std::string> failures(const std::string& folder = "") const;
  // How many expectations held (an ordered list counts as one), of how many.
  std::size_t metCount(const std::string& folder = "") const;
  std::size_t size() const { return expectations_.size(); }

 private:
  // What the session showed of one expectation's native.
  struct Seen {
    std::uint64_t calls = 0;         // in the expectation's frames
    std::vector<std::uint64_t> frames;  // the first few frames they were in
    bool moreFrames = false;         // and there were more
    bool matched = false;            // Call: a call with the arguments
    std::string otherArguments;      // Call: those of the first call in its frame
  };

  std::string lineFailure(const Expectation& expected, const std::string& folder) const;
  // The message of an expectation that failed, empty when it held; ordered lists are told apart.
  std::string failureOf(std::size_t index, const std::string& folder) const;

  std::string reloadLossFailure() const;
  // The plug-in's output against `debug` and `no-debug` lines.
  void seeDebug(const HostEvent& event);
  std::string debugFailure(const Expectation& expected, const Seen& seen, const std::string& where) const;
  std::vector<std::size_t> debugExpectations_;

 public:
  // The frames played to their end: ordered lists are checked up to there.
  void setFramesPlayed(std::uint64_t frames) { sequences_.setFramesPlayed(frames); }

 private:
  SequenceCheck sequences_;

  std::vector<Expectation> expectations_;
  std::vector<UsageSample> usage_;
  std::vector<Seen> seen_;
  // Each native's expectations, so a call looks at its own alone.
  std::map<std::uint64_t, std::vector<std::size_t>> byNative_;
  std::string source_;
};

// Frames named in a message; more would bury the point.
constexpr std::size_t kFramesNamed = 5;
// " in frames F-L" of an expectation for messages, empty for the whole session.
std::string framesWords(const Expectation& expected);
// "frame F" or "frames F, G, ..." of those a message names.
std::string listOfFrames(const std::vector<std::uint64_t>& frames, bool more);

// Whether `line` equals `pattern`, where '*' in the pattern stands for any run of characters.
bool matchesLine(const std::string& pattern, const std::string& line);

}  // namespace standin
