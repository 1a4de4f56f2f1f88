#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "core/fault_trap.h"
#include "core/script_entry.h"
#include "fault_trap_test_support.h"

namespace {

using Lines = std::vector<std::string>;

void throwInvalid() { throw std::invalid_argument("invalid stoi argument"); }
void throwOutOfRange() { throw std::out_of_range("stoi argument out of range"); }
void throwEmptyDescription() { throw std::runtime_error(""); }
void throwBadAlloc() { throw std::bad_alloc(); }
void throwInt() { throw 42; }
struct NotAStandardException {};
void throwOwnType() { throw NotAStandardException{}; }

TEST_F(FaultTrapTest, EveryExceptionIsLoggedAndShown) {
  const struct {
    void (*work)();
    std::string description;
  } cases[] = {
      {throwInvalid, "invalid stoi argument"},
      {throwOutOfRange, "stoi argument out of range"},
      {throwEmptyDescription, ""},
      {throwBadAlloc, std::bad_alloc().what()},
      {throwInt, "non-standard exception"},
      {throwOwnType, "non-standard exception"},
  };
  for (const auto& c : cases) {
    SetUp();
    log_.text.clear();
    EXPECT_NO_THROW(runTrapped(c.work));
    const std::string message = faultMessage(c.description);
    EXPECT_GE(message.size(), 38u);
    EXPECT_EQ(log_.messages(), (Lines{"Something wrong happened", message}));
    expectNotice(host().frame(), message);
    EXPECT_EQ(host().calls().size(), 4u);
  }
}

TEST_F(FaultTrapTest, WorkWithoutAFaultLogsAndShowsNothing) {
  static bool ran = false;
  runTrapped([] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(log_.text.empty());
  EXPECT_TRUE(host().calls().empty());
}

TEST_F(FaultTrapTest, TheMessageIsLoggedBeforeTheNoticeIsShown) {
  Lines loggedAtFirstNotice;
  host().onCall = [&] {
    if (loggedAtFirstNotice.empty()) loggedAtFirstNotice = log_.messages();
  };
  runTrapped(throwInvalid);
  EXPECT_EQ(loggedAtFirstNotice, (Lines{"Something wrong happened", faultMessage("invalid stoi argument")}));
}

// A report that itself fails (here the game throws out of a notice native)
// is cut short; nothing leaves the trap and the frame still ends with its wait.
TEST_F(FaultTrapTest, AFailingReportDoesNotEscape) {
  publishSettingsStore({{"AlternativeCamera", "yes"}});
  int noticeCalls = 0;
  host().onCall = [&] {
    if (host().calls().back().hash == kMakeNoticeText) {
      ++noticeCalls;
      throw std::runtime_error("native failed");
    }
  };
  EXPECT_NO_THROW(runFrame());
  EXPECT_NO_THROW(runFrame());
  EXPECT_EQ(noticeCalls, 2);
  EXPECT_EQ(waits(), (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(log_.messages(), (Lines{"Something wrong happened", faultMessage("invalid stoi argument"),
                                    "Something wrong happened", faultMessage("invalid stoi argument")}));
}

}  // namespace
