#include "judge/session_facts_win.h"

#include "faults/crash_report_win.h"

namespace standin::win {

SessionFacts factsOf(const SessionChannel& block, DWORD exitValue, Watched watched) {
  SessionFacts facts;
  facts.reachedRunner = block.session != 0;
  facts.exitValue = exitValue;
  facts.watched = watched;
  facts.phase = block.phase;
  facts.stallMs = stallMsOf(block);
  if (block.verdict != 0) facts.verdict = {block.verdict, block.message};
  facts.finalFault = block.final.state >= kCopyWritten;
  if (facts.finalFault) {
    // Told from the copy alone when the describer could not tell it.
    const Told told = block.finalDescribed ? Told{block.faultMessage, block.fault} : tellCopy(block.final);
    facts.final = {told.code, told.message};
  }
  facts.ended = block.ended != 0;
  facts.endCode = block.endCode;
  if (const PendingFault* fault = standingFault(block)) {
    const Told told = tellPending(*fault);
    facts.standing = {told.code, told.message};
  }
  facts.throwStands = throwStands(block);
  facts.thrown = block.thrown;
  facts.thrownAt = block.thrownAt;
  facts.thrownFrames = block.thrownFrames;
  return facts;
}

}  // namespace standin::win
