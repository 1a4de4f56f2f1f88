// The player's DLL as the game's loader sees it: what it imports and exports.
#include <gtest/gtest.h>

#include <algorithm>
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

class PluginFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const int code = e2e::run({e2e::paths().objdump, "-p", e2e::paths().plugin}, listing_);
    ASSERT_EQ(code, 0) << listing_;
  }
  static inline std::string listing_;
};

TEST_F(PluginFile, ImportsOnlyFromTheSystemAndTheHost) {
  for (const auto& [library, names] : importsOf(listing_)) {
    const bool allowed = library == "KERNEL32.dll" || library == "msvcrt.dll" ||
                         library.rfind("api-ms-win-crt-", 0) == 0 || library == "ScriptHookRDR2.dll";
    EXPECT_TRUE(allowed) << library << " is not in the game folder or the system";
  }
}

TEST_F(PluginFile, ImportsExactlyTheHostsEightDecoratedNames) {
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
TEST_F(PluginFile, ExportsNothing) {
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

}  // namespace
