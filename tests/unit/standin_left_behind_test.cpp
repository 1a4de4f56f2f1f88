// What a served process tells when a passing session left something in it:
// each thing a mark sees, more or fewer, with what could not be put back
// after them; and the chaos run's line that counts sessions by what they left.
#include <gtest/gtest.h>

#include <functional>

#include "checks/left_behind.h"

namespace {

using standin::ProcessMark;

struct Row {
  const char* name;
  std::function<void(ProcessMark&)> change;
  std::vector<std::string> notPutBack;
  const char* said;
};

const Row kRows[] = {
    {"nothing", [](ProcessMark&) {}, {}, ""},
    {"a handle", [](ProcessMark& m) { m.handles += 1; }, {}, "1 more handle"},
    {"handles closed", [](ProcessMark& m) { m.handles -= 2; }, {}, "2 fewer handles"},
    {"modules and a thread", [](ProcessMark& m) { m.modules += 3, m.threads += 1; }, {},
     "3 more loaded modules, 1 more thread"},
    {"a TLS slot", [](ProcessMark& m) { m.firstFreeTls += 1; }, {}, "a TLS slot"},
    {"a fiber-local slot", [](ProcessMark& m) { m.firstFreeFls += 1; }, {}, "a fiber-local slot"},
    {"the x87 control", [](ProcessMark& m) { m.fpControl ^= 0x300; }, {}, "the FPU control"},
    {"the SSE control", [](ProcessMark& m) { m.sseControl |= 0x8040; }, {}, "the FPU control"},
    {"only what was not put back", [](ProcessMark&) {}, {"the locale", "the DLL directory"},
     "the locale, the DLL directory"},
    {"counts first", [](ProcessMark& m) { m.handles += 1, m.firstFreeFls += 2; }, {"the environment"},
     "1 more handle, a fiber-local slot, the environment"},
};

TEST(LeftBehind, SaysWhatASessionLeftInItsProcess) {
  ProcessMark before;
  before.threads = 4, before.handles = 40, before.modules = 30, before.firstFreeTls = 5, before.firstFreeFls = 2;
  before.fpControl = 0x9001F, before.sseControl = 0x1F80;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    ProcessMark after = before;
    row.change(after);
    EXPECT_EQ(standin::whatWasLeft(before, after, row.notPutBack), row.said);
    // The check that keeps a process and the sentence that says why not see the same marks.
    EXPECT_EQ(after != before, !standin::whatWasLeft(before, after, {}).empty());
  }
}

TEST(LeftBehind, TheChaosRunCountsSessionsByWhatTheyLeft) {
  EXPECT_EQ(standin::leftBehindLine({}), "");
  EXPECT_EQ(standin::leftBehindLine({{"1 more handle", 12}, {"the locale", 1}}),
            "a process was not kept after what passing sessions left in it: 1 more handle (12 sessions); the locale (1 session)");
}

}  // namespace
