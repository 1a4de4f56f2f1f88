#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "allocation_counter.h"
#include "config/setting_number.h"
#include "config/settings_store.h"

namespace {

enum class Reads { On, Off, Invalid, OutOfRange };

struct SwitchCase {
  std::string text;
  Reads reads;
};

// isSettingOn's reading of a stored text, through the real store.
Reads readSwitch(const std::string& text) {
  publishSettingsStore({{"Switch", text}});
  try {
    return isSettingOn("Switch") ? Reads::On : Reads::Off;
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "invalid stoi argument") << '"' << text << '"';
    return Reads::Invalid;
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "stoi argument out of range") << '"' << text << '"';
    return Reads::OutOfRange;
  }
}

TEST(SettingsStore, SwitchTextsReadAsTheStandardTextToIntRule) {
  const SwitchCase cases[] = {
      {"1", Reads::On},
      {"2", Reads::On},
      {"-2", Reads::On},
      {"+1", Reads::On},
      {"0", Reads::Off},
      {"-1", Reads::Off},
      {"-0", Reads::Off},
      {"+0", Reads::Off},
      {"", Reads::Off},
      {" 0", Reads::Off},
      {" \t\n\v\f\r1", Reads::On},
      {"1abc", Reads::On},
      {"1.5", Reads::On},
      {"0.5", Reads::Off},
      {"0x1", Reads::Off},
      {"-1 trailing", Reads::Off},
      {"000000000000000000001", Reads::On},
      {"-00000000000000000001", Reads::Off},
      {"2147483647", Reads::On},
      {"-2147483648", Reads::On},
      {"2147483648", Reads::OutOfRange},
      {"-2147483649", Reads::OutOfRange},
      {"4294967296", Reads::OutOfRange},
      {"4294967297", Reads::OutOfRange},
      {"99999999999999999999999999999", Reads::OutOfRange},
      {"-99999999999999999999999999999", Reads::OutOfRange},
      {"abc", Reads::Invalid},
      {"yes", Reads::Invalid},
      {"+", Reads::Invalid},
      {"-", Reads::Invalid},
      {"+-1", Reads::Invalid},
      {"- 1", Reads::Invalid},
      {"   ", Reads::Invalid},
      {"\xA0" "1", Reads::Invalid},  // only the C locale's white space is skipped
      {std::string("\0" "1", 2), Reads::Invalid},
      {std::string("1\0" "x", 3), Reads::On},
  };
  for (const auto& c : cases)
    EXPECT_EQ(readSwitch(c.text), c.reads) << '"' << c.text << '"';
}

TEST(SettingsStore, ReadsTheNumberItself) {
  EXPECT_EQ(readSettingNumber("  -2147483648xyz"), -2147483648LL);
  EXPECT_EQ(readSettingNumber("+2147483647"), 2147483647);
  EXPECT_EQ(readSettingNumber("0042"), 42);
}

TEST(SettingsStore, DefaultsAreTheThreeSwitchesOn) {
  const SettingsMap defaults = makeDefaultSettings();
  EXPECT_EQ(defaults, (SettingsMap{{"AlternativeCamera", "1"},
                                   {"MeleeWeaponsGore", "1"},
                                   {"CameraShakeOnShot", "1"}}));
}

TEST(SettingsStore, GetSettingCopiesAndNeverInserts) {
  publishSettingsStore({{"Name", "text"}, {"", "empty name"}});
  std::string copy = getSetting("Name");
  copy += " changed";
  EXPECT_EQ(getSetting("Name"), "text");
  EXPECT_EQ(getSetting(""), "empty name");
  EXPECT_EQ(getSetting("Missing"), "");
  EXPECT_FALSE(isSettingOn("Missing"));
  EXPECT_EQ(getSetting("name"), "") << "names are compared byte for byte";
  EXPECT_EQ(getSetting("Name "), "");
  setSetting("Probe", "x");
  EXPECT_EQ(getSetting("Probe"), "x");
  publishSettingsStore({{"Name", "text"}});
  EXPECT_EQ(getSetting("Probe"), "") << "publishing replaces the whole store";
}

TEST(SettingsStore, SetSettingInsertsOrOverwrites) {
  publishSettingsStore(makeDefaultSettings());
  setSetting("AlternativeCamera", "0");
  setSetting("Extra", "");
  EXPECT_FALSE(isSettingOn("AlternativeCamera"));
  EXPECT_TRUE(isSettingOn("MeleeWeaponsGore"));
  EXPECT_EQ(getSetting("Extra"), "");
}

// The frame's own switch names find their texts without a search: they must
// follow every change of the store, as any other name does.
TEST(SettingsStore, FrameSwitchesFollowEveryChangeOfTheStore) {
  publishSettingsStore({{"AlternativeCamera", "1"}});
  EXPECT_TRUE(isSettingOn(kAlternativeCameraSwitch));
  EXPECT_FALSE(isSettingOn(kMeleeWeaponsGoreSwitch));
  setSetting("MeleeWeaponsGore", "7");
  setSetting("AlternativeCamera", "0");
  EXPECT_TRUE(isSettingOn(kMeleeWeaponsGoreSwitch));
  EXPECT_FALSE(isSettingOn(kAlternativeCameraSwitch));
  publishSettingsStore({{"CameraShakeOnShot", "yes"}});
  EXPECT_FALSE(isSettingOn(kMeleeWeaponsGoreSwitch));
  EXPECT_THROW(isSettingOn(kCameraShakeOnShotSwitch), std::invalid_argument);
}

}  // namespace

namespace {

// The frame asks three switches every frame; names such as AlternativeCamera
// are longer than a short-string buffer, so a lookup that built a string
// would allocate each time.
TEST(SettingsStore, AskingASwitchAllocatesNothing) {
  const std::string longText = "1" + std::string(64, ' ');
  publishSettingsStore({{"AlternativeCamera", longText},
                        {"MeleeWeaponsGore", "0"},
                        {"CameraShakeOnShot", "-1"}});
  const std::size_t before = allocationCount();
  const bool on = isSettingOn("AlternativeCamera") && !isSettingOn("MeleeWeaponsGore") &&
                  !isSettingOn("CameraShakeOnShot") && !isSettingOn("AbsentAndLongerThanSso");
  EXPECT_EQ(allocationCount(), before);
  EXPECT_TRUE(on);
}

}  // namespace
