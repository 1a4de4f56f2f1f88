// The player's DLL as the game's loader sees it: what it imports and exports,
// that it ships stripped, and that its symbols, kept apart, name its functions.
// The DLL from the second compiler is held to the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "e2e_support.h"

namespace {

// Library name -> imported names, from objdump's listing of the import tables.
std::map<std::string, std::vector<std::string>> importsOf(const std::string& listing) {
  std::map<std::string, std::vector<std::string>> imports;
  std::istringstream in(listing);
  std::string line, library;
  while (std::getline(in, line)) {
    const auto dllName = line.find("DLL Name: ");
    if (dllName != std::string::npos) {
      library = line.substr(dllName + 10);
      imports[library];
      continue;
    }
    if (library.empty()) continue;
    if (line.find_first_not_of(" \t") == std::string::npos) {
      library.clear();
      continue;
    }
    // "\t<address>\t<hint>  <name>"; the header line has no hint number.
    std::istringstream fields(line);
    std::string address, hint, name;
    if (fields >> address >> hint >> name && std::all_of(hint.begin(), hint.end(), ::isdigit))
      imports[library].push_back(name);
  }
  return imports;
}

namespace fs = std::filesystem;

const fs::path kSourceRoot = fs::path(__FILE__).parent_path().parent_path().parent_path();

// The DLL of each compiler: dist/Vantomere.asi, and the second one if any.
std::vector<std::string> plugins() {
  std::vector<std::string> built{e2e::paths().plugin};
  if (!e2e::paths().secondPlugin.empty()) built.push_back(e2e::paths().secondPlugin);
  return built;
}

class PluginFile : public ::testing::TestWithParam<std::string> {
 protected:
  // objdump's listing of the DLL's headers (-p) or of its sections (-h).
  static const std::string& listing(const std::string& plugin, const std::string& what) {
    static std::map<std::string, std::string> listings;
    const std::string key = what + " " + plugin;
    if (listings.count(key) == 0) {
      const int code = e2e::run({e2e::paths().objdump, what, plugin}, listings[key]);
      EXPECT_EQ(code, 0) << listings[key];
    }
    return listings[key];
  }
  void SetUp() override { listing_ = listing(GetParam(), "-p"); }
  std::string listing_;
};

TEST_P(PluginFile, ImportsOnlyFromTheSystemAndTheHost) {
  for (const auto& [library, names] : importsOf(listing_)) {
    const bool allowed = library == "KERNEL32.dll" || library == "msvcrt.dll" ||
                         library.rfind("api-ms-win-crt-", 0) == 0 || library == "ScriptHookRDR2.dll";
    EXPECT_TRUE(allowed) << library << " is not in the game folder or the system";
  }
}

TEST_P(PluginFile, ImportsExactlyTheHostsEightDecoratedNames) {
  const auto imports = importsOf(listing_);
  ASSERT_EQ(imports.count("ScriptHookRDR2.dll"), 1u) << listing_;
  const auto& names = imports.at("ScriptHookRDR2.dll");
  const std::set<std::string> expected = {
      "?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z",     "?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z",
      "?scriptWait@@YAXK@Z",                               "?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z",
      "?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z",    "?nativeInit@@YAX_K@Z",
      "?nativePush64@@YAX_K@Z",                            "?nativeCall@@YAPEA_KXZ",
  };
  EXPECT_EQ(names.size(), expected.size());
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
}

// GNU ld may leave an export directory with no entries; what counts is that
// it names nothing.
TEST_P(PluginFile, ExportsNothing) {
  const auto table = listing_.find("There is an export table");
  if (table == std::string::npos) return;
  const auto counts = listing_.find("Number in:", table);
  ASSERT_NE(counts, std::string::npos) << listing_.substr(table, 400);
  std::istringstream in(listing_.substr(counts));
  std::string line;
  std::getline(in, line);
  for (const char* what : {"Export Address Table", "[Name Pointer/Ordinal] Table"}) {
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_NE(line.find(what), std::string::npos) << line;
    EXPECT_EQ(std::stoul(line.substr(line.find_last_of(" \t") + 1), nullptr, 16), 0u) << line;
  }
}

// The player's file carries no debug information, only the link to its symbols.
TEST_P(PluginFile, ShipsStrippedUnderAMillionBytes) {
  EXPECT_LT(fs::file_size(GetParam()), 1000000u);
  const std::string& sections = listing(GetParam(), "-h");
  EXPECT_EQ(sections.find(".debug_"), std::string::npos) << sections;
  EXPECT_NE(sections.find(".gnu_debuglink"), std::string::npos) << sections;
}

INSTANTIATE_TEST_SUITE_P(EachCompiler, PluginFile, ::testing::ValuesIn(plugins()),
                         [](const auto& info) { return info.index == 0 ? "dist" : "second_compiler"; });

// An offset as a crash report gives it, in each spelling scripts/symbolize
// takes, leads to the function and its source line.
TEST(Symbols, AnOffsetIntoAKnownFunctionNamesItAndItsLine) {
  const std::string symbols = (kSourceRoot / "symbols" / "Vantomere.asi.debug").string();
  std::string listing;
  ASSERT_EQ(e2e::run({e2e::paths().objdump, "-p", "-h", "-t", symbols}, listing), 0) << listing;
  // The function's offset: its value in the symbol table is relative to .text.
  std::uint64_t imageBase = 0, text = 0, inText = 0;
  std::istringstream in(listing);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string first, second, size, address;
    fields >> first >> second >> size >> address;
    if (first == "ImageBase") imageBase = std::stoull(second, nullptr, 16);
    if (second == ".text" && text == 0 && address.size() == 16) text = std::stoull(address, nullptr, 16);
    const std::string name = " _Z21alternativeCameraStepv";
    if (line.size() > name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0)
      inText = std::stoull(line.substr(line.rfind("0x", line.size() - name.size())), nullptr, 16);
  }
  ASSERT_TRUE(imageBase != 0 && text != 0 && inText != 0) << listing.substr(0, 2000);
  char offset[32];
  std::snprintf(offset, sizeof offset, "%llx", static_cast<unsigned long long>(text - imageBase + inText + 8));
  for (const std::string& given : {std::string(offset), "0x" + std::string(offset), "Vantomere.asi+0x" + std::string(offset)}) {
    std::string output;
    EXPECT_EQ(e2e::run({(kSourceRoot / "scripts" / "symbolize").string(), given}, output), 0) << output;
    EXPECT_NE(output.find("alternativeCameraStep() at src/features/alternative_camera.cpp:"), std::string::npos)
        << given << ":\n" << output;
  }
}

}  // namespace
