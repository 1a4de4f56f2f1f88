#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings_store.h"
#include "config_test_support.h"
#include "core/script_entry.h"
#include "host_test_support.h"
#include "names/names_generator.h"

namespace {

using Lines = std::vector<std::string>;

constexpr std::uint64_t kPlayerCharacterNative = 0x096275889B8E0EE0;
constexpr std::uint64_t kTextHashNative = 0xFD340785ADF8CFB7;

class StartUpTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    NameMap.clear();
  }
  void TearDown() override { NameMap.clear(); }

  void expectOnePlayerRefreshThenTheNameHashes() {
    const auto calls = host().calls();
    ASSERT_EQ(calls.size(), 475u);
    EXPECT_EQ(calls[0].hash, kPlayerCharacterNative);
    for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_EQ(calls[i].hash, kTextHashNative);
    EXPECT_TRUE(waits().empty());
  }

  ScopedWorkingFolder folder_;
  RecordingLogSink log_;
};

TEST_F(StartUpTest, SettingsFileThenNamesInOrder) {
  writeFile("Vantomere.ini", "[Vantomere]\nMeleeWeaponsGore=0\nbad line\n");
  startUp();
  EXPECT_EQ(log_.messages(),
            (Lines{"loading settings file: Vantomere.ini",
                   "cannot parse line: bad line, please make sure it is assembled of the correct "
                   "format (<setting_name>=<settings_value>).",
                   "settings file loaded", "NamesGenerator: initializing",
                   "NamesGenerator: initialized. 461 string."}));
  EXPECT_TRUE(isSettingOn("AlternativeCamera"));
  EXPECT_FALSE(isSettingOn("MeleeWeaponsGore"));
  EXPECT_TRUE(isSettingOn("CameraShakeOnShot"));
  expectOnePlayerRefreshThenTheNameHashes();
}

TEST_F(StartUpTest, WithoutASettingsFileEverySwitchIsOn) {
  startUp();
  EXPECT_EQ(log_.messages(), (Lines{"Unable to load from data file, please make sure it exists.",
                                    "NamesGenerator: initializing",
                                    "NamesGenerator: initialized. 461 string."}));
  EXPECT_EQ(settingsStore(), makeDefaultSettings());
  expectOnePlayerRefreshThenTheNameHashes();
}

}  // namespace
