// The plug-in kit's tools and zip, beside the whole tryout of scripts/test-kit:
// symbolize finds any plug-in's symbols and says plainly when it cannot, and
// the zip holds what its README promises, with sums that check.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

fs::path testPlugins() { return fs::path(e2e::paths().standinExe).parent_path() / "test-plugins"; }

// A function's offset into its module, from the module's symbol table.
std::string offsetOf(const fs::path& symbols, const std::string& mangled) {
  std::string nm = e2e::paths().objdump;
  nm.replace(nm.rfind("objdump"), 7, "nm");
  std::string listing, headers;
  if (e2e::run({nm, symbols.string()}, listing) != 0 || e2e::run({e2e::paths().objdump, "-p", symbols.string()}, headers) != 0)
    return "";
  const auto base = headers.find("ImageBase");
  const auto at = listing.find(" " + mangled + "\n");
  if (base == std::string::npos || at == std::string::npos) return "";
  const unsigned long long address = std::stoull(listing.substr(listing.rfind('\n', at) + 1, 16), nullptr, 16);
  const unsigned long long imageBase = std::stoull(headers.substr(headers.find_first_not_of(" \t", base + 9)), nullptr, 16);
  char offset[32];
  std::snprintf(offset, sizeof offset, "0x%llx", address - imageBase);
  return offset;
}

TEST(KitSymbolize, FindsAnyPluginsSymbolsAndSaysWhenItCannot) {
  const std::string writeThrough = offsetOf(testPlugins() / "Crash.asi.debug", "_ZN12_GLOBAL__N_112writeThroughEPVi");
  ASSERT_FALSE(writeThrough.empty()) << "no writeThrough in " << testPlugins() / "Crash.asi.debug";
  const struct {
    std::string given;
    int status;
    const char* says;
  } cases[] = {
      {"Crash.asi+" + writeThrough, 0, "  writeThrough at standin/examples/crash/crash.cpp:11\n"},
      {"Crash.asi+" + writeThrough.substr(2), 0, "  writeThrough at standin/examples/crash/crash.cpp:11\n"},
      // As the event log writes a fault offset: 16 digits.
      {"Crash.asi+0x" + std::string(18 - writeThrough.size(), '0') + writeThrough.substr(2), 0,
       "  writeThrough at standin/examples/crash/crash.cpp:11\n"},
      // By the path of the build's own plug-in, as an author copies it from the build.
      {(testPlugins() / "Crash.asi").string() + "+" + writeThrough, 0, "  writeThrough at standin/examples/crash/crash.cpp:11\n"},
      {"Crash.asi+0x1" + std::string(8, '0'), 2, "not MODULE+0xOFFSET"},  // beyond any module
      {"Tally.asi+0x10", 1, "  no function of Tally.asi there"},
      {"Nowhere.asi+0x10", 1, "  no symbols: neither Nowhere.asi.debug nor Nowhere.asi"},
      {"0x1370", 2, "not MODULE+0xOFFSET"},
      {"Crash.asi+0xg1", 2, "not MODULE+0xOFFSET"},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(e2e::run({(kSourceRoot / "standin" / "kit" / "symbolize").string(), "-d", testPlugins().string(), c.given},
                       output, kSourceRoot.string()),
              c.status)
        << c.given << ": " << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << c.given << ": " << output;
  }
}

TEST(KitZip, HoldsTheKitsFilesWithSumsThatCheck) {
  if (!fs::exists("/usr/bin/unzip")) GTEST_SKIP() << "unzip is not installed";
  const fs::path out = fs::temp_directory_path() / ("kit-zip-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(out);
  std::string output;
  ASSERT_EQ(e2e::run({(kSourceRoot / "scripts" / "package-kit").string(), out.string()}, output), 0) << output;
  const std::string archive = (out / ("ScriptHostKit-" E2E_VERSION ".zip")).string();
  ASSERT_EQ(e2e::run({"/usr/bin/unzip", "-q", archive, "-d", (out / "kit").string()}, output), 0) << output;
  // One folder, so that unzipping spills nothing around it.
  ASSERT_EQ(std::distance(fs::directory_iterator(out / "kit"), fs::directory_iterator()), 1);
  const fs::path kit = out / "kit" / ("ScriptHostKit-" E2E_VERSION);
  for (const char* file : {"README.md", "STANDIN.md", "play", "chaos", "symbolize", "new-plugin", "kit/script_host.h", "kit/ScriptHookRDR2.def",
                           "kit/ScriptHookRDR2.msvc.def", "kit/script_plugin.cmake", "kit/mingw-w64-x86_64.cmake",
                           "kit/script_runtime_release.cpp", "examples/tally/tally.cpp", "examples/tally/tally.names",
                           "examples/tally/reloads.scn", "examples/crash/crash.cpp",
                           "standin-not-for-the-game-folder/standin.exe",
                           "standin-not-for-the-game-folder/ScriptHookRDR2.dll"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kit / file))) << file;
  // cmd.exe reads its batch files by CR LF lines.
  for (const char* file : {"play.cmd", "chaos.cmd", "symbolize.cmd", "new-plugin.cmd"}) {
    const std::string text = e2e::readFile((kit / file).string());
    EXPECT_FALSE(text.empty()) << file;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
      EXPECT_TRUE(at > 0 && text[at - 1] == '\r') << file << " has a line feed alone at " << at;
  }
  // Nothing that a game folder holds lies at the top, where an author might unzip it.
  EXPECT_FALSE(fs::exists(kit / "ScriptHookRDR2.dll"));
  // Nor anything that looks like what a run left behind.
  EXPECT_FALSE(fs::exists(kit / "examples" / "tally" / "tally.txt"));
  // The header is the host's own declarations, not a line that forwards to them.
  EXPECT_EQ(e2e::readFile((kit / "kit" / "script_host.h").string()),
            e2e::readFile((kSourceRoot / "contract" / "script_host.h").string()));
  fs::copy_file(archive, out / "kit" / fs::path(archive).filename());
  EXPECT_EQ(e2e::run({"/usr/bin/sha256sum", "--check", "--strict", "--quiet",
                      (out / ("ScriptHostKit-" E2E_VERSION ".sha256")).string()},
                     output, (out / "kit").string()),
            0)
      << output;
  fs::remove_all(out);
}

}  // namespace
