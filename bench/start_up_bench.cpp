// Start-up as the player meets it: a settings file to read, a log folder to
// write to, and every built-in name hashed through the host.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "allocation_tally.h"
#include "config/log_file.h"
#include "config_test_support.h"
#include "core/script_entry.h"
#include "fault_free_frames.h"
#include "names/names_generator.h"

namespace {

constexpr char kSettingsText[] =
    "; combat tweaks\n"
    "[Vantomere]\n"
    "AlternativeCamera=1\n"
    "MeleeWeaponsGore=1\n"
    "CameraShakeOnShot=1\n";

// A game folder of its own for the run, with the settings file and the log folder.
class GameFolder {
 public:
  GameFolder() {
    writeFile("Vantomere.ini", kSettingsText);
    std::filesystem::create_directory(std::filesystem::path(kLogFilePath).parent_path());
  }

 private:
  ScopedWorkingFolder folder_;
};

// Each start-up begins as the first does: no names filed, an empty log.
void freshStart() {
  NameMap.clear();
  std::ofstream(kLogFilePath, std::ios::trunc);
}

void StartUp(benchmark::State& state) {
  GameFolder folder;
  fault_free::answerIdleFrame();
  standin::StandinHost::instance().setRecording(false);
  AllocationTally tally;
  for (auto _ : state) {
    state.PauseTiming();
    freshStart();
    state.ResumeTiming();
    const std::size_t before = allocationCount();
    startUp();
    tally.countFrom(before);
  }
  freshStart();
  tally.report(state);
}

}  // namespace

BENCHMARK(StartUp)->Unit(benchmark::kMicrosecond);
