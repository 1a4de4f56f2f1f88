// What the channel and the ended process tell of a session's end, as facts
// for the judge: the watching runner's reading, for one session, a suite's
// and chaos's, fresh or kept.
#pragma once

#include <windows.h>

#include "judge/judge.h"
#include "channel/session_channel_win.h"

namespace standin::win {

SessionFacts factsOf(const SessionChannel& block, DWORD exitValue, Watched watched);

// The same judged.
inline Verdict judgeSession(const SessionChannel& block, DWORD exitValue, Watched watched) {
  return judge(factsOf(block, exitValue, watched));
}

}  // namespace standin::win
