// The project the kit's new-plugin writes, from cmd.exe and bash alike.
#include <gtest/gtest.h>

#include <map>

#include "command/new_plugin_files.h"

namespace {

TEST(NewPluginFiles, TakesOnlyNamesThatMakeATargetAndAFile) {
  const std::pair<const char*, bool> names[] = {{"HuntTracker", true}, {"a", true},        {"Z9_x", true},
                                                {"", false},           {"9lives", false},  {"_hidden", false},
                                                {"two words", false},  {"dash-ed", false}, {"dot.asi", false},
                                                {"..", false},         {"a/b", false},     {"a\\b", false}};
  for (const auto& [name, good] : names) EXPECT_EQ(standin::isPluginName(name), good) << name;
}

TEST(NewPluginFiles, WritesEveryFileFilledIn) {
  const auto files = standin::newPluginFiles("HuntTracker", "C:/Users/ann/ScriptHostKit-1.0/kit");
  std::map<std::string, std::string> byPath(files.begin(), files.end());
  for (const char* path : {"CMakeLists.txt", "version.rc.in", "script.h", "HuntTracker.cpp", "script.cpp",
                           "HuntTracker.names", "tests/HuntTracker.scn", ".gitignore", "README.md"})
    EXPECT_EQ(byPath.count(path), 1u) << path;
  EXPECT_EQ(byPath.size(), files.size());
  for (const auto& [path, text] : files) EXPECT_EQ(text.find("{{"), std::string::npos) << path;
  EXPECT_NE(byPath["tests/HuntTracker.scn"].find("names ../HuntTracker.names\n"), std::string::npos);
  EXPECT_NE(byPath["HuntTracker.cpp"].find("scriptRegister(module, HuntTracker_plugin::script);"), std::string::npos);
  // The version resource is configure_file's to fill.
  EXPECT_NE(byPath["version.rc.in"].find("@PROJECT_VERSION@"), std::string::npos);
}

TEST(NewPluginFiles, ProjectBuildsWithVisualStudioOnWindowsAndMinGWElsewhere) {
  const auto files = standin::newPluginFiles("P", "/home/ann/kit");
  const std::string cmake = files.front().second;
  ASSERT_EQ(files.front().first, "CMakeLists.txt");
  EXPECT_NE(cmake.find("set(SCRIPT_HOST_KIT \"/home/ann/kit\" CACHE PATH"), std::string::npos);
  // The MinGW toolchain is never forced on a Windows host, where CMake picks Visual Studio's.
  EXPECT_NE(cmake.find("if(NOT CMAKE_TOOLCHAIN_FILE AND NOT CMAKE_HOST_WIN32)\n"
                       "  set(CMAKE_TOOLCHAIN_FILE ${SCRIPT_HOST_KIT}/mingw-w64-x86_64.cmake)"),
            std::string::npos);
  EXPECT_LT(cmake.find("CMAKE_TOOLCHAIN_FILE"), cmake.find("project(P "));
  // Warning flags per compiler: cl reads -Wall as /Wall and -Wextra as unknown.
  const std::size_t msvc = cmake.find("if(MSVC)"), gnu = cmake.find("else()"), end = cmake.find("endif()", gnu);
  ASSERT_NE(msvc, std::string::npos);
  EXPECT_NE(cmake.substr(msvc, gnu - msvc).find("/W4"), std::string::npos);
  EXPECT_EQ(cmake.substr(msvc, gnu - msvc).find("-W"), std::string::npos);
  EXPECT_NE(cmake.substr(gnu, end - gnu).find("-Wall -Wextra"), std::string::npos);
}

}  // namespace
