// Plays scenarios of the stand-in host under Wine and reads back their traces.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/standin_host.h"

namespace e2e {

// The plug-in waits 500 ms in frame 1 before it starts up: at the stand-in's
// 60 frames a second its script runs again, for start-up and its first
// frame's work, in frame 31.
constexpr std::uint64_t kStartUpFrame = 31;

struct Paths {
  std::string standinExe;  // <windows build>/standin/standin.exe
  std::string testPlugins; // <windows build>/standin/test-plugins
  std::string plugin;      // dist/Vantomere.asi
  std::string secondPlugin;  // the same by the other compiler, or VANTOMERE_SECOND_PLUGIN; empty: none
  std::string wine64;
  std::string objdump;
  std::string winePrefix;  // VANTOMERE_WINEPREFIX, or one below the build folder
};
const Paths& paths();

// One played session.
struct Session {
  int exitCode = -1;
  std::string output;       // what standin.exe wrote to stdout and stderr
  std::string folder;       // the session's own folder: scenario.txt, trace.txt, game/
  std::string gameFolder;   // the plug-in's working folder, folder + "/game"
  std::string traceText;
  std::vector<standin::HostEvent> trace;

  // The events of one frame, in order.
  std::vector<standin::HostEvent> frame(std::uint64_t number) const;
  // How many frames ended with a wait of 0 ms.
  std::uint64_t framesEnded() const;
  std::string fileText(const std::string& pathInGameFolder) const;  // empty when missing
};

// Plays `scenario` (which must not set 'folder') in a fresh folder named after
// the running test. The scenario file gets a 'folder game' line first, so the
// stand-in's line numbers are one more than those of `scenario`. `files` are written into the working folder first; a
// path that ends in '/' makes an empty folder. `plugin` defaults to dist/Vantomere.asi; then
// the scenario is played with the second compiler's DLL too, and its trace must be the same.
// `options` go on the stand-in's command line before the rest; relative paths
// in them are taken from the session's folder.
Session play(const std::string& scenario, const std::map<std::string, std::string>& files = {},
             const std::string& plugin = "", const std::vector<std::string>& options = {});

// Writes a replay of `original` with the converter and plays it with the
// plug-in that made it: the same exit code and the same trace, or a failure.
void expectReplaysAlike(const Session& original, const std::string& plugin);

// Runs a program and gives its exit code; stdout and stderr go to `output`.
int run(const std::vector<std::string>& argv, std::string& output, const std::string& workingFolder = "");

// The same with stdout and stderr in the file `outputPath`, not in a pipe:
// what Wine starts in the background (its server, its services) would hold
// a pipe open for as long as it runs.
int runToFile(const std::vector<std::string>& argv, const std::string& outputPath, const std::string& workingFolder = "");

// Sets the test prefix, and a quiet Wine, for what this process starts.
void useTestPrefix();

// Wine, with the test's prefix and no debug chatter.
int runUnderWine(const std::vector<std::string>& argv, std::string& output, const std::string& workingFolder);

std::string readFile(const std::string& path);
// A scenario line that loads the names of Vantomere's natives, for 'expect' lines that name them.
std::string vantomereNames();
// A scenario file's text for play(): its 'names' files taken from the file's own folder.
std::string scenarioFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

bool isFrameEnd(const standin::HostEvent& event);

}  // namespace e2e
