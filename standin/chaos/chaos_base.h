// The base scenario of a chaos run, read into the model: the lines every
// session keeps, the natives it answers already, and the `chaos` directives
// (which `play` reads and ignores):
//   chaos keep NATIVE        never answer NATIVE at random
//   chaos keep keys          no random keys;  chaos keep reloads: no reloads
//   chaos keep expectations  keep every expect line (one line: '# chaos keep' in its comment)
//   chaos keys CODE...       key codes the plug-in watches, pressed more often
//   chaos values NATIVE V... 32-bit values that mean something to the plug-in (weapons,
//                            bones), answered often for NATIVE's result and out-variables
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "chaos/chaos_generator.h"

namespace standin::chaos {

struct ChaosBase {
  ChaosPlan plan;                    // natives still empty: the caller adds them
  std::vector<std::string> outHead;  // the head with paths relative to the findings' folder
  std::string workingFolder;         // as the head's `folder` line names it
  std::set<std::uint64_t> answered;  // by the base, or kept by `chaos keep`: never answered at random
};

// Reads the base scenario at `path` (absolute), whose names files are loaded
// already (the stand-in read it first); `outFolder` is where findings go.
// Throws ScenarioError "PATH:LINE: what is wrong" for a bad chaos line.
ChaosBase readChaosBase(const std::string& path, const std::string& outFolder);

// `target` as a path from `folder` (both absolute, either separator); as
// given when they share no root.
std::string relativePath(const std::string& folder, const std::string& target);

}  // namespace standin::chaos
