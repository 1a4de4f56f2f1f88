#include "command/new_plugin_files.h"

namespace standin {

namespace {

const char* const kCMakeLists = R"(# {{NAME}}, a script plug-in: cmake -S . -B build && cmake --build build makes
# {{NAME}}.asi (ship it) and its symbols (keep them, for symbolize):
# build/{{NAME}}.asi and build/{{NAME}}.asi.debug with MinGW-w64, and with
# Visual Studio build/Release/{{NAME}}.asi and {{NAME}}.pdb beside it
# (--config Release; each configuration has its folder).
cmake_minimum_required(VERSION 3.25)

# The plug-in kit: where new-plugin found it, unless SCRIPT_HOST_KIT (a CMake
# or environment variable) names the kit's kit/ folder elsewhere.
if(NOT SCRIPT_HOST_KIT AND DEFINED ENV{SCRIPT_HOST_KIT})
  set(SCRIPT_HOST_KIT $ENV{SCRIPT_HOST_KIT})
endif()
set(SCRIPT_HOST_KIT "{{KIT}}" CACHE PATH "The plug-in kit's kit/ folder")
# On Windows, the compiler CMake picks (Visual Studio's, or the one of the
# generator given); MinGW-w64 there only when asked for with
# -DCMAKE_TOOLCHAIN_FILE=<the kit's kit/ folder>/mingw-w64-x86_64.cmake.
# Elsewhere the MinGW-w64 cross compiler, by that file.
if(NOT CMAKE_TOOLCHAIN_FILE AND NOT CMAKE_HOST_WIN32)
  set(CMAKE_TOOLCHAIN_FILE ${SCRIPT_HOST_KIT}/mingw-w64-x86_64.cmake)
endif()

project({{NAME}} VERSION 0.1.0 LANGUAGES CXX RC)
include(${SCRIPT_HOST_KIT}/script_plugin.cmake)

# The file properties Windows shows for {{NAME}}.asi, from the project's version.
configure_file(version.rc.in version.rc @ONLY)
add_script_plugin({{NAME}} {{NAME}}.cpp script.cpp ${CMAKE_CURRENT_BINARY_DIR}/version.rc)
target_include_directories({{NAME}} PRIVATE ${SCRIPT_HOST_KIT} ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_features({{NAME}} PRIVATE cxx_std_17)
if(MSVC)
  target_compile_options({{NAME}} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:/W4 /permissive->)
else()
  target_compile_options({{NAME}} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra>)
endif()
)";

const char* const kVersionResource = R"(#include <winver.h>

VS_VERSION_INFO VERSIONINFO
FILEVERSION @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,0
PRODUCTVERSION @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,0
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_DLL
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "FileDescription", "@PROJECT_NAME@, a script plug-in"
      VALUE "FileVersion", "@PROJECT_VERSION@"
      VALUE "InternalName", "@PROJECT_NAME@"
      VALUE "OriginalFilename", "@PROJECT_NAME@.asi"
      VALUE "ProductName", "@PROJECT_NAME@"
      VALUE "ProductVersion", "@PROJECT_VERSION@"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
)";

const char* const kScriptHeader = R"(// {{NAME}}'s script and keyboard handler, registered by DllMain in {{NAME}}.cpp.
#pragma once

#include "script_host.h"

namespace {{NAME}}_plugin {

// The script: runs on the host's fiber and never returns.
void script();

// Called on the game window's thread for every keyboard message: no natives
// here, only a note for the script.
void onKey(HostDword key, HostWord repeats, HostByte scan, HostBool extended, HostBool alt, HostBool wasDown,
           HostBool isUp);

}  // namespace {{NAME}}_plugin
)";

const char* const kDllMain = R"(// {{NAME}}: DllMain registers the script and the keyboard handler, and nothing
// else (it runs under the loader lock). Unregistering on detach lets the host
// unload and reload the plug-in while the game runs.
#include <windows.h>

#include "script.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    scriptRegister(module, {{NAME}}_plugin::script);
    keyboardHandlerRegister({{NAME}}_plugin::onKey);
  } else if (reason == DLL_PROCESS_DETACH) {
    scriptUnregister(module);
    keyboardHandlerUnregister({{NAME}}_plugin::onKey);
  }
  return TRUE;
}
)";

const char* const kScript = R"(#include "script.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace {{NAME}}_plugin {

namespace {

constexpr std::uint64_t kPlayerCharacter = 0x096275889B8E0EE0;  // () -> handle, in {{NAME}}.names
constexpr HostDword kToggleKey = VK_F8;

// Set by the keyboard handler, taken by the script. State lives in statics,
// not in the script's locals: at unload the host never unwinds the script's
// stack, so a local's destructor never runs.
std::atomic<bool> g_toggleAsked{false};
bool g_enabled = false;

std::int32_t playerCharacter() {
  nativeInit(kPlayerCharacter);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(nativeCall()[0]));
}

}  // namespace

void onKey(HostDword key, HostWord, HostByte, HostBool, HostBool, HostBool wasDown, HostBool isUp) {
  if (key == kToggleKey && !wasDown && !isUp) g_toggleAsked = true;
}

void script() {
  for (;;) {
    if (g_toggleAsked.exchange(false)) {
      g_enabled = !g_enabled;
      OutputDebugStringA(g_enabled ? "{{NAME}}: on" : "{{NAME}}: off");
    }
    if (g_enabled) {
      const std::int32_t player = playerCharacter();
      (void)player;  // {{NAME}}'s work for this frame goes here
    }
    scriptWait(0);  // the rest of this frame belongs to the game
  }
}

}  // namespace {{NAME}}_plugin
)";

const char* const kNames = R"(# The natives {{NAME}} calls, by name, with what each takes and gives: scenarios,
# the short view and the stand-in's messages use the names, and the stand-in
# checks every call's arguments against them. One a line: HASH name (kinds) -> kind.
0x096275889B8E0EE0 player character () -> handle
)";

const char* const kScenario = R"(# F8 switches {{NAME}} on in frame 3 and off again in frame 7: it asks for the
# player's character in frames 3 to 6 only.
frames 10
names ../{{NAME}}.names
strict                                   # a broken host rule fails the test

answer player-character int 1001

key 3 0x77                               # F8 pressed ...
key 4 0x77 up                            # ... and released
key 7 0x77
key 8 0x77 up

expect no-call player-character frames 1-2
expect calls player-character 4 frames 3-6
expect call player-character frame 3
expect no-call player-character frames 7-10
)";

const char* const kReadme = R"(# {{NAME}}

A script plug-in for the game's script host, made with the plug-in kit's
`new-plugin`. F8 switches it on and off; while on, it asks the game for the
player's character every frame.

| file | what it is |
|---|---|
| `{{NAME}}.cpp` | `DllMain`: registers the script and the keyboard handler |
| `script.cpp` | the script's wait loop and the keyboard handler |
| `{{NAME}}.names` | the natives it calls, by name, with what they take and give |
| `tests/` | scenarios: what the game answers, which keys are pressed, what must happen |
| `CMakeLists.txt` | the build: `add_script_plugin` from the kit, with a version resource |

Build, then test in the kit's stand-in (KIT is the folder the kit was unzipped into):

    cmake -S . -B build && cmake --build build      # build/{{NAME}}.asi and build/{{NAME}}.asi.debug
    PLUGIN=build/{{NAME}}.asi KIT/play tests

On Windows, from cmd.exe, with Visual Studio (or open the folder in Visual Studio,
which reads CMakeLists.txt itself):

    cmake -S . -B build && cmake --build build --config Release
    set PLUGIN=build\Release\{{NAME}}.asi
    KIT\play tests

Ship `{{NAME}}.asi`; keep its symbols of every build you give out, for
`KIT/symbolize`: `build/{{NAME}}.asi.debug` (MinGW-w64) or
`build\Release\{{NAME}}.pdb` (Visual Studio). The version is
`project({{NAME}} VERSION ...)` in `CMakeLists.txt`.
)";

std::string filled(std::string text, const std::string& name, const std::string& kit) {
  for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{{NAME}}", name}, {"{{KIT}}", kit}})
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
      text.replace(at, mark.size(), value);
  return text;
}

}  // namespace

bool isPluginName(const std::string& name) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.empty() || !letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  return true;
}

std::vector<std::pair<std::string, std::string>> newPluginFiles(const std::string& name, const std::string& kit) {
  const std::pair<const char*, const char*> files[] = {
      {"CMakeLists.txt", kCMakeLists}, {"version.rc.in", kVersionResource}, {"script.h", kScriptHeader},
      {"{{NAME}}.cpp", kDllMain},      {"script.cpp", kScript},              {"{{NAME}}.names", kNames},
      {"tests/{{NAME}}.scn", kScenario}, {".gitignore", "/build/\n"},        {"README.md", kReadme}};
  std::vector<std::pair<std::string, std::string>> written;
  for (const auto& [path, text] : files) written.emplace_back(filled(path, name, kit), filled(text, name, kit));
  return written;
}

}  // namespace standin
