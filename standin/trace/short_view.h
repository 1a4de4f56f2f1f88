#pragma once

#include <string>
#include <vector>

#include "scenario/answers.h"
#include "scenario/game_clock.h"
#include "trace/trace_event.h"

namespace standin {

// A trace in short, whatever the plug-in, for people: one line per frame with
// the game time it began at, each call with its arguments and answer, natives
// by the names of the names files loaded, declared floats and vectors as
// numbers, other slots without leading zeros (0x1); frames in a row that did
// the same share a line, a native's calls in a row show as xN, and the frames
// the script waited through as "(script asleep)". The first line is a header.
// Where `answers` answer a call by game time (game-ms, game-s, step), frames
// that differ only in such answers share a line too, which shows the first's.
std::vector<std::string> shortView(const std::vector<HostEvent>& events, const GameClock& clock,
                                   const AnswerBook* answers = nullptr);

}  // namespace standin
