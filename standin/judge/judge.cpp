#include "judge/judge.h"

#include "base/quoted_text.h"

namespace standin {

namespace {

Verdict decide(const SessionFacts& facts) {
  const std::string phase = " while " + facts.phase;
  const std::string exitValue = std::to_string(facts.exitValue);
  if (!facts.reachedRunner)
    return {kExitStandinFailed, "the session's process ended before it reached the watching runner (exit value " +
                                    exitValue + "): the stand-in itself failed"};
  if (facts.verdict.code != 0) return {facts.verdict.code, facts.verdict.message};
  if (facts.finalFault) return {facts.final.code, facts.final.message};
  const std::string ownEnd = " after the session's end (its exit code " + std::to_string(facts.endCode) + ")";
  if (facts.watched == Watched::HungAfterEnd)
    return {kExitStuck, "the plug-in is stuck: the process did not end within " + std::to_string(facts.stallMs) +
                            " ms" + ownEnd + phase};
  if (facts.ended && facts.exitValue == static_cast<std::uint32_t>(facts.endCode)) return {facts.endCode, ""};
  if (facts.ended) return {kExitEndedProcess, "the plug-in ended the process with exit value " + exitValue + ownEnd + phase};
  if (facts.standing.code != 0) return {facts.standing.code, facts.standing.message};
  if (facts.watched == Watched::Stalled)
    return {kExitStuck, "the plug-in is stuck: no call to the host for " + std::to_string(facts.stallMs) + " ms" + phase};
  // A throw in flight, then a fail-fast: std::terminate of a runtime linked
  // in statically (Microsoft's abort() fails fast), as after a throw through noexcept.
  if (facts.exitValue == kFailFastStatus && facts.throwStands)
    return {kExitAborted, "the plug-in let a C++ exception out that nothing caught (" + facts.thrown + "), thrown at " +
                              facts.thrownAt + phase + ", and std::terminate ended it (__fastfail)" + facts.thrownFrames};
  if (facts.exitValue == kFailFastStatus)
    return {kExitCrashed,
            "the plug-in failed fast (__fastfail, told by the process's status " + hex(kFailFastStatus, 8) + " alone)" + phase};
  // A terminate handler of the plug-in's own that ended the process: the
  // exception it was called for is the verdict.
  if (facts.throwStands)
    return {kExitAborted, "the plug-in let a C++ exception out that nothing caught (" + facts.thrown + "), thrown at " +
                              facts.thrownAt + phase + ", and its terminate handler ended the process with exit value " +
                              exitValue + facts.thrownFrames};
  return {kExitEndedProcess,
          "the plug-in ended the process with exit value " + exitValue + " (exit, ExitProcess or TerminateProcess)" + phase};
}

// Every code the runner gives is in its table; any other is the stand-in's own failure.
Verdict inTable(Verdict verdict) {
  switch (verdict.code) {
    case kExitOk: case kExitUsage: case kExitStandinFailed: case kExitLoadFailed: case kExitStuck:
    case kExitMisbehaved: case kExitCrashed: case kExitTraceFailed: case kExitExpectationsFailed:
    case kExitAborted: case kExitEndedProcess:
      return verdict;
    default:
      return {kExitStandinFailed, "the session ended with code " + std::to_string(verdict.code) +
                                      ", which the stand-in does not give: the stand-in itself failed" +
                                      (verdict.message.empty() ? "" : " (" + verdict.message + ")")};
  }
}

}  // namespace

Verdict judge(const SessionFacts& facts) { return inTable(decide(facts)); }

}  // namespace standin
