#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "scenario/answers.h"
#include "scenario/expectation.h"
#include "scenario/game_clock.h"
#include "script_host.h"
#include "base/protocol_rules.h"
#include "scenario/scenario_include.h"

namespace standin {


// One keyboard message, delivered before the script runs the given frame.
struct KeyMessage {
  std::uint64_t frame = 1;
  HostDword code = 0;
  HostWord repeats = 1;
  HostByte scanCode = 0;
  HostBool isExtended = 0;
  HostBool isWithAlt = 0;
  HostBool wasDownBefore = 0;
  HostBool isUpNow = 0;
};

// Limits that keep a session finite whatever the plug-in does.
struct ScenarioCaps {
  static constexpr std::uint64_t kLargest = 100000000;  // for calls-per-frame and frames
  std::uint64_t callsPerFrame = 10000;  // native calls between two waits
  std::uint64_t frames = 100000;        // the most frames a scenario may ask for
  std::uint64_t stallMs = 10000;        // wall-clock time without any call to the host
};

// A session for the stand-in host, as written in a scenario file.
struct Scenario {
  std::uint64_t frames = 10;
  std::uint32_t fps = GameClock::kDefaultFps;
  std::string folder;  // the working folder as written; empty: the scenario file's folder
  AnswerBook answers;
  std::vector<std::pair<std::uint64_t, unsigned>> textArguments;
  std::vector<std::pair<std::uint64_t, unsigned>> outArguments;
  std::vector<KeyMessage> keys;  // by frame; within a frame in the order written
  std::vector<std::uint64_t> reloads;  // frames before which the plug-in is loaded anew, ascending
  std::vector<Expectation> expectations;  // in the order written
  ScenarioCaps caps;
  bool strict = false;  // a broken host rule ends the session
  std::vector<Rule> allowed;  // rules of the protocol that are not watched
  std::vector<std::string> namesFiles;  // as resolved, in the order loaded
  std::vector<IncludedFile> includes;   // as resolved, in the order read

};

// Its message reads "NAME:LINE: what is wrong".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a whole scenario; throws ScenarioError at the first bad line.
Scenario parseScenario(std::istream& in, const std::string& sourceName);
Scenario loadScenarioFile(const std::string& path);

// Reads "0xHASH NAME [(PARAMETERS) [-> RESULT]]" lines ('#' comments) into
// the names and declarations of natives; throws ScenarioError "PATH:LINE:
// what is wrong" at the first bad line, or LineError when it cannot be opened.
void loadNamesFile(const std::string& path);

// The working folder of a scenario: `folder` when absolute, otherwise taken
// relative to the folder that holds the scenario file.
std::string resolveWorkingFolder(const std::string& scenarioPath, const std::string& folder);
// Whether a file name ends in ".scn", in any case (Windows tools write "*.SCN").
bool isScenarioFileName(const std::string& name);
// Whether a path starts at a root or a drive letter.
bool isAbsolutePath(const std::string& path);
// `path` relative to `folder`, both absolute (with '/' or '\\'), its parts
// joined by '/'; `path` as it is when either is relative or they lie on two drives.
std::string relativePath(const std::string& folder, const std::string& path);

}  // namespace standin
