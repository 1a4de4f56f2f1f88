#include <gtest/gtest.h>

#include "host_test_support.h"
#include "standin_host.h"

namespace {

using standin::Answer;
using standin::EventKind;

class StandinHostTest : public HostTest {};

std::uint64_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST_F(StandinHostTest, RecordsTextsAddressesWritesAndResults) {
  host().declareTextArgument(0x20, 1);
  host().declareOutArgument(0x20, 2);
  host().answers().setDefault(0x20, Answer::ofWhole(0x1122334455667788).alsoOut(2, 77).alsoOut(3, 88));
  std::uint32_t variable = 0, unnamed = 0;
  host().nativeInit(0x20);
  host().nativePush64(5);
  host().nativePush64(address("name"));
  host().nativePush64(address(&variable));
  host().nativePush64(address(&unnamed));
  host().nativeCall();

  EXPECT_EQ(variable, 77u);
  EXPECT_EQ(unnamed, 88u);
  const auto call = host().calls().at(0);
  EXPECT_EQ(call.texts.at(1), "name");
  EXPECT_EQ(call.outArgs, (std::set<unsigned>{2}));
  EXPECT_EQ(call.outWritten, (std::map<unsigned, std::uint32_t>{{2, 77}, {3, 88}}));
  EXPECT_EQ(call.results[0], 0x1122334455667788u);
}

TEST_F(StandinHostTest, KnowsTheOutVariablesOfTheGameQueries) {
  EXPECT_TRUE(host().isOutArgument(0x3A87E44BB9A01D54, 1));
  EXPECT_TRUE(host().isOutArgument(0xD75960F6BD9EA49C, 1));
  EXPECT_TRUE(host().isTextArgument(0xFD340785ADF8CFB7, 0));
}

struct KeySeen {
  static inline int calls = 0;
  static inline HostBool last = 0;
  static void handler(HostDword, HostWord, HostByte, HostBool, HostBool, HostBool, HostBool upNow) {
    ++calls;
    last = upNow;
  }
};

TEST_F(StandinHostTest, DeliversKeysOnlyToARegisteredHandler) {
  KeySeen::calls = 0;
  host().deliverKey(0x41, 1, 0, 0, 0, 0, 0);
  EXPECT_EQ(KeySeen::calls, 0);
  host().keyboardHandlerRegister(&KeySeen::handler);
  host().deliverKey(0x41, 1, 0, 0, 0, 1, -5);
  EXPECT_EQ(KeySeen::calls, 1);
  EXPECT_EQ(KeySeen::last, -5);

  const auto events = host().takeEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, EventKind::Key);
  EXPECT_EQ(events[0].detail, "no handler");
  EXPECT_EQ(events[2].args.back(), 0xFFFFFFFBu);
  EXPECT_TRUE(events[2].detail.empty());
  EXPECT_TRUE(host().events().empty()) << "taken events are gone";
}

TEST_F(StandinHostTest, FrameRangesOverrideTheDefaultLaterRangesWin) {
  auto& book = host().answers();
  book.setDefault(0x30, {Answer::ofInt(1), Answer::ofInt(2)});
  book.setForFrames(3, 6, 0x30, {Answer::ofInt(30)});
  book.setForFrames(5, standin::kLastFrame, 0x30, {Answer::ofInt(50)});
  book.setForFrame(4, 0x30, {});  // an empty sequence leaves the frame as it was
  EXPECT_EQ(book.find(1, 0x30, 0)->slots[0], 1u);
  EXPECT_EQ(book.find(1, 0x30, 7)->slots[0], 2u);
  EXPECT_EQ(book.find(4, 0x30, 0)->slots[0], 30u);
  EXPECT_EQ(book.find(5, 0x30, 0)->slots[0], 50u);
  EXPECT_EQ(book.find(~0ull, 0x30, 0)->slots[0], 50u);
  EXPECT_EQ(book.find(1, 0x31, 0), nullptr);
}

}  // namespace
