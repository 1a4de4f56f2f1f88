#include <gtest/gtest.h>

#include <cstring>

#include "core/key_state.h"
#include "core/library_entry.h"
#include "features/player_character.h"
#include "core/script_entry.h"
#include "core/tick_count.h"
#include "host_test_support.h"

namespace {

using standin::EventKind;

constexpr std::uint64_t kPlayerCharacterNative = 0x096275889B8E0EE0;

HostModule fakeModule() { return reinterpret_cast<HostModule>(0x180000000ull); }

class LibraryEntryTest : public HostTest {};

TEST_F(LibraryEntryTest, AttachRegistersScriptThenKeyboardHandler) {
  EXPECT_EQ(handleLibraryNotification(fakeModule(), kProcessAttach), 1);
  const auto& events = host().events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, EventKind::ScriptRegister);
  EXPECT_EQ(events[0].pointer, fakeModule());
  EXPECT_EQ(host().registeredScript(), &scriptEntry);
  EXPECT_EQ(events[1].kind, EventKind::KeyboardRegister);
  EXPECT_EQ(host().registeredKeyboardHandler(), &keyboardHandler);
}

TEST_F(LibraryEntryTest, DetachUnregistersScriptThenKeyboardHandler) {
  handleLibraryNotification(fakeModule(), kProcessAttach);
  host().beginUnload();
  host().takeEvents();
  EXPECT_EQ(handleLibraryNotification(fakeModule(), kProcessDetach), 1);
  const auto& events = host().events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, EventKind::ScriptUnregister);
  EXPECT_EQ(events[0].pointer, fakeModule());
  EXPECT_EQ(events[1].kind, EventKind::KeyboardUnregister);
  EXPECT_EQ(events[1].pointer, reinterpret_cast<const void*>(&keyboardHandler));
}

TEST_F(LibraryEntryTest, ThreadNotificationsDoNothing) {
  for (std::uint32_t reason : {kThreadAttach, kThreadDetach, 7u}) {
    EXPECT_EQ(handleLibraryNotification(fakeModule(), reason), 1);
    EXPECT_TRUE(host().events().empty()) << reason;
  }
}

class KeyStateTest : public ::testing::Test {
 protected:
  void SetUp() override { KeyStateTable.fill(KeyState{}); }
};

TEST_F(KeyStateTest, LastValidCodeIsRecordedAndLargerCodesIgnored) {
  const std::uint32_t before = currentTickCount();
  keyboardHandler(254, 1, 2, 3, 4, 5, 6);
  const std::uint32_t after = currentTickCount();
  const KeyState& last = KeyStateTable[254];
  EXPECT_GE(last.tickCount, before);
  EXPECT_LE(last.tickCount, after);
  EXPECT_EQ(last.fifthArgument, 4);
  EXPECT_EQ(last.sixthArgument, 5);
  EXPECT_EQ(last.seventhArgument, 6);

  const auto snapshot = KeyStateTable;
  for (HostDword code : {255u, 256u, 0xFFFFFFFFu}) keyboardHandler(code, 0, 0, 0, 9, 9, 9);
  EXPECT_EQ(0, std::memcmp(&snapshot, &KeyStateTable, sizeof snapshot));
}

TEST_F(KeyStateTest, SecondMessageOverwritesAllFourFields) {
  keyboardHandler(0x41, 0, 0, 0, 1, 1, 1);
  KeyStateTable[0x41].tickCount = 0;  // so the second write shows
  keyboardHandler(0x41, 7, 8, 9, -1, 0, -7);
  const KeyState& entry = KeyStateTable[0x41];
  EXPECT_NE(entry.tickCount, 0u);
  EXPECT_EQ(entry.fifthArgument, -1);
  EXPECT_EQ(entry.sixthArgument, 0);
  EXPECT_EQ(entry.seventhArgument, -7);
  EXPECT_EQ(KeyStateTable[0x40].tickCount, 0u);
  EXPECT_EQ(KeyStateTable[0x42].tickCount, 0u);
}

class FrameTest : public HostTest {};

TEST_F(FrameTest, FrameRefreshesPlayerCharacterFirstAndEndsWithOneWait) {
  host().answers().setForFrame(1, kPlayerCharacterNative, {standin::Answer::ofInt(42)});
  host().answers().setForFrame(2, kPlayerCharacterNative, {standin::Answer::ofInt(-7)});
  runFrame();
  EXPECT_EQ(playerCharacter, 42);
  runFrame();
  EXPECT_EQ(playerCharacter, -7);

  const auto& events = host().events();
  ASSERT_FALSE(events.empty());
  for (std::uint64_t frame : {1u, 2u}) {
    std::vector<const standin::HostEvent*> inFrame;
    for (const auto& e : events)
      if (e.frame == frame) inFrame.push_back(&e);
    ASSERT_GE(inFrame.size(), 2u);
    EXPECT_EQ(inFrame.front()->kind, EventKind::Call);
    EXPECT_EQ(inFrame.front()->hash, kPlayerCharacterNative);
    EXPECT_TRUE(inFrame.front()->args.empty());
    EXPECT_EQ(inFrame.back()->kind, EventKind::Wait);
    EXPECT_EQ(inFrame.back()->waitMs, 0u);
  }
  EXPECT_EQ(host().frame(), 3u);
}

TEST_F(FrameTest, StartUpRefreshesPlayerCharacterFirst) {
  host().answers().setDefault(kPlayerCharacterNative, standin::Answer::ofInt(5));
  startUp();
  const auto calls = host().calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].hash, kPlayerCharacterNative);
  EXPECT_EQ(playerCharacter, 5);
  EXPECT_TRUE(waits().empty()) << "start-up must not yield";
}

}  // namespace
