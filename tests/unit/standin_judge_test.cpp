// The judge decides every verdict from the facts of a session's end: each
// way a session ends, from made-up facts, and which fact wins when several
// are known at once (the first cause, never a later one).
#include <gtest/gtest.h>

#include <functional>

#include "judge/judge.h"

namespace {

using standin::SessionFacts;
using standin::Watched;

const char* const kCrash = "the plug-in crashed with exception 0xC0000005 (access violation) at P.asi+0x10 while running its script";
const char* const kThrown = "the plug-in let a C++ exception out that nothing caught (std::runtime_error: boom), thrown at P.asi+0x20";

struct Row {
  const char* name;
  std::function<void(SessionFacts&)> facts;
  int code;
  const char* message;  // the whole message; "" for a session that told its own end
};

const Row kRows[] = {
    {"a passing session", [](SessionFacts& f) { f.ended = true; }, 0, ""},
    {"expectations not met", [](SessionFacts& f) { f.ended = true, f.endCode = 9, f.exitValue = 9; }, 9, ""},
    {"no channel", [](SessionFacts& f) { f.reachedRunner = false, f.exitValue = 5; }, 3,
     "the session's process ended before it reached the watching runner (exit value 5): the stand-in itself failed"},
    {"its own verdict", [](SessionFacts& f) { f.verdict = {6, "the plug-in broke a host rule (strict) in frame 1: X"}; }, 6,
     "the plug-in broke a host rule (strict) in frame 1: X"},
    {"a final fault", [](SessionFacts& f) { f.finalFault = true, f.final = {7, kCrash}; }, 7, kCrash},
    {"an uncaught throw", [](SessionFacts& f) { f.finalFault = true, f.final = {10, kThrown}; }, 10, kThrown},
    {"hung after its end",
     [](SessionFacts& f) { f.ended = true, f.watched = Watched::HungAfterEnd, f.phase = "running its script"; }, 5,
     "the plug-in is stuck: the process did not end within 3000 ms after the session's end (its exit code 0) while "
     "running its script"},
    {"an exit after the end", [](SessionFacts& f) { f.ended = true, f.exitValue = 4, f.phase = "unloading it"; }, 11,
     "the plug-in ended the process with exit value 4 after the session's end (its exit code 0) while unloading it"},
    {"a standing fault", [](SessionFacts& f) { f.standing = {7, kCrash}, f.exitValue = 0xC0000005; }, 7, kCrash},
    {"stalled", [](SessionFacts& f) { f.watched = Watched::Stalled, f.phase = "in its keyboard handler"; }, 5,
     "the plug-in is stuck: no call to the host for 3000 ms while in its keyboard handler"},
    {"failed fast", [](SessionFacts& f) { f.exitValue = standin::kFailFastStatus, f.phase = "running its script"; }, 7,
     "the plug-in failed fast (__fastfail, told by the process's status 0xC0000409 alone) while running its script"},
    {"its terminate handler exited",
     [](SessionFacts& f) {
       f.throwStands = true, f.thrown = "aim_lost: gone", f.thrownAt = "P.asi+0x30", f.exitValue = 0;
       f.thrownFrames = "; backtrace: P.asi+0x30", f.phase = "running its script";
     },
     10,
     "the plug-in let a C++ exception out that nothing caught (aim_lost: gone), thrown at P.asi+0x30 while running its "
     "script, and its terminate handler ended the process with exit value 0; backtrace: P.asi+0x30"},
    {"a throw in flight, then a fail-fast",
     [](SessionFacts& f) {
       f.throwStands = true, f.thrown = "int", f.thrownAt = "P.asi+0x40", f.exitValue = standin::kFailFastStatus;
       f.phase = "running its script";
     },
     10,
     "the plug-in let a C++ exception out that nothing caught (int), thrown at P.asi+0x40 while running its script, "
     "and std::terminate ended it (__fastfail)"},
    {"exit", [](SessionFacts& f) { f.exitValue = 3, f.phase = "running its script"; }, 11,
     "the plug-in ended the process with exit value 3 (exit, ExitProcess or TerminateProcess) while running its script"},
    {"a code outside the table", [](SessionFacts& f) { f.ended = true, f.endCode = 42, f.exitValue = 42; }, 3,
     "the session ended with code 42, which the stand-in does not give: the stand-in itself failed"},
    // The first cause wins.
    {"its verdict before a later fault",
     [](SessionFacts& f) { f.verdict = {7, "first"}, f.finalFault = true, f.final = {10, "second"}; }, 7, "first"},
    {"a final fault before the end it interrupted",
     [](SessionFacts& f) { f.finalFault = true, f.final = {7, kCrash}, f.ended = true, f.watched = Watched::Told; }, 7,
     kCrash},
    {"a standing fault before the stall it caused",
     [](SessionFacts& f) { f.standing = {7, kCrash}, f.watched = Watched::Stalled; }, 7, kCrash},
    {"a standing fault before the exit after it", [](SessionFacts& f) { f.standing = {10, kThrown}, f.exitValue = 3; },
     10, kThrown},
    {"the session's own end before a fault that did not stand",
     [](SessionFacts& f) { f.ended = true, f.throwStands = true, f.thrown = "x"; }, 0, ""},
};

TEST(Judge, EveryEndGetsOneVerdict) {
  for (const Row& row : kRows) {
    SessionFacts facts;
    facts.stallMs = 3000;
    row.facts(facts);
    const standin::Verdict verdict = standin::judge(facts);
    EXPECT_EQ(verdict.code, row.code) << row.name;
    EXPECT_EQ(verdict.message, row.message) << row.name;
  }
}

}  // namespace
