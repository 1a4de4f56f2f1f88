// Scenarios as authors write them, with a names file and an included file
// beside them (the input cut at NUL bytes: scenario, names file, included
// file). A scenario reads or is refused with one readable line naming its
// file and line; one that reads gives answers for every frame, timed ones
// too, and the same scenario read again gives the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "base/native_names.h"
#include "scenario/scenario.h"

namespace {

// What a scenario answers in its first frames, as text, to compare two readings.
std::string answersOf(const standin::Scenario& scenario) {
  std::string text;
  for (std::uint64_t frame = 1; frame <= 3 && frame <= scenario.frames; ++frame)
    for (const auto& [native, index] : scenario.outArguments) {
      const standin::Answer* answer = scenario.answers.find(frame, native, index);
      if (!answer) continue;
      text += std::to_string(answer->timed() ? answer->timedSlot(frame, scenario.answers.clock()) : answer->slots[0]);
      text += "," + std::to_string(answer->outWrites.size() + answer->wideOutWrites.size()) + ";";
    }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = splitInput(data, size, 3);
  writeFuzzFile("fuzz.names", parts[1]);
  writeFuzzFile("inc.scn", parts[2]);
  const std::string path = writeFuzzFile("main.scn", parts[0]);
  std::string first, second;
  for (std::string* reading : {&first, &second}) {
    standin::forgetNativeNames();
    try {
      const standin::Scenario scenario = standin::loadScenarioFile(path);
      check(scenario.frames >= 1 && scenario.frames <= scenario.caps.frames, "frames within the cap");
      check(scenario.fps >= 1 && scenario.fps <= standin::GameClock::kLargestFps, "fps within 1 to 1000");
      *reading = "ok " + answersOf(scenario);
    } catch (const std::runtime_error& error) {
      const std::string message = error.what();
      check(oneReadableLine(message), "a refusal is one readable line: " + message);
      check(message.rfind(fuzzFolder(), 0) == 0, "a refusal names the file: " + message);
      *reading = message;
    }
  }
  check(first == second, "the same scenario reads the same twice: " + first + " | " + second);
  standin::forgetNativeNames();
  return 0;
}
