// Settings files that exist but cannot be read: the loader reports them as
// it reports a missing one, and every switch keeps its default.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/settings_loader.h"
#include "config/settings_store.h"
#include "config_test_support.h"

namespace {

namespace fs = std::filesystem;

class UnreadableSettingsTest : public ::testing::Test {
 protected:
  void expectDefaultsAndOneLine(const std::string& what) {
    publishSettingsStore({{"Earlier", "store"}});
    log_.text.clear();
    loadSettings("Vantomere.ini", makeDefaultSettings());
    EXPECT_EQ(log_.messages(), std::vector<std::string>{"Unable to load from data file, please make sure it exists."})
        << what;
    EXPECT_EQ(settingsStore(), makeDefaultSettings()) << what;
  }

  ScopedWorkingFolder folder_;
  RecordingLogSink log_;
};

TEST_F(UnreadableSettingsTest, OpensButEveryReadFails) {
  // The kernel opens a process's memory file, but a read at its start fails.
  fs::create_symlink("/proc/self/mem", "Vantomere.ini");
  expectDefaultsAndOneLine("a file whose reads fail");
}

TEST_F(UnreadableSettingsTest, LinksThatLeadNowhere) {
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"a link to nothing", [] { fs::create_symlink("missing.ini", "Vantomere.ini"); }},
      {"a link to itself", [] { fs::create_symlink("Vantomere.ini", "Vantomere.ini"); }},
  };
  for (const auto& c : cases) {
    c.make();
    expectDefaultsAndOneLine(c.what);
    fs::remove("Vantomere.ini");
  }
}

TEST_F(UnreadableSettingsTest, NoPermissionToRead) {
  writeFile("Vantomere.ini", "AlternativeCamera=0\n");
  fs::permissions("Vantomere.ini", fs::perms::none);
  if (access("Vantomere.ini", R_OK) == 0) GTEST_SKIP() << "this user reads files without permission";
  expectDefaultsAndOneLine("a file without permission to read");
}

}  // namespace
