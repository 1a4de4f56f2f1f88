// A suite's scenario plays in a fresh copy of its working folder, made by
// the suite; its runner is told the copy with "--play-in DIR". The trace
// still names the folder the scenario names, so that a trace is the same on
// every run and a replay written from it plays in the author's folder.
#pragma once

#include <string>

namespace standin::win {

// Takes "--play-in DIR" out of the command line; false when DIR is missing.
bool takePlayInOption(int& argc, char** argv);
// The folder the session enters: the copy given, or `folder` itself.
std::string folderToPlayIn(const std::string& folder);

}  // namespace standin::win
