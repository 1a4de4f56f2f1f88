#pragma once

#include <string>
#include <vector>

#include "vantomere/session_names.h"
#include "vantomere/session_story.h"

namespace standin {

// What one frame's actions come to, in plain words.
std::string describeActions(const std::vector<Action>& actions, const HashNames& names);

// What happened in one frame; "(script asleep)" first when the script slept through it.
std::string describeFrame(const FrameStory& story, const HashNames& names);

// The account: a header, then one line per frame in which the plug-in did
// something or its script slept (frame, game time when it began, what
// happened); frames in a row that did the same share one line.
std::vector<std::string> accountLines(const std::vector<FrameStory>& stories, const HashNames& names);

// Totals of the session, and the natives behind the plain words.
std::vector<std::string> accountSummary(const std::vector<FrameStory>& stories, const HashNames& names);

}  // namespace standin
