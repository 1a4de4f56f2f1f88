// Switch texts into the on/off getter, against the standard library's own
// text-to-int conversion: the same answer, or the same one of its two
// exceptions, with the descriptions the plug-in gives them on every platform.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "config/settings_store.h"
#include "fuzz_check.h"

namespace {

enum class Outcome { Off, On, NotANumber, OutOfRange };

const char* nameOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::Off: return "off";
    case Outcome::On: return "on";
    case Outcome::NotANumber: return "invalid_argument";
    case Outcome::OutOfRange: return "out_of_range";
  }
  return "?";
}

// std::stoi is the rule itself; an empty text is off before any number is read.
Outcome expectedOutcome(const std::string& text) {
  if (text.empty()) return Outcome::Off;
  try {
    const int number = std::stoi(text);
    return number == 0 || number == -1 ? Outcome::Off : Outcome::On;
  } catch (const std::invalid_argument&) {
    return Outcome::NotANumber;
  } catch (const std::out_of_range&) {
    return Outcome::OutOfRange;
  }
}

Outcome pluginOutcome(const char* name) {
  try {
    return isSettingOn(name) ? Outcome::On : Outcome::Off;
  } catch (const std::invalid_argument& error) {
    check(std::strcmp(error.what(), "invalid stoi argument") == 0, std::string("description ") + error.what());
    return Outcome::NotANumber;
  } catch (const std::out_of_range& error) {
    check(std::strcmp(error.what(), "stoi argument out of range") == 0, std::string("description ") + error.what());
    return Outcome::OutOfRange;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  setSetting(kAlternativeCameraSwitch, text);
  const Outcome expected = expectedOutcome(text);
  const Outcome got = pluginOutcome(kAlternativeCameraSwitch);
  check(got == expected, std::string("isSettingOn gave ") + nameOf(got) + ", std::stoi " + nameOf(expected));
  check(getSetting(kAlternativeCameraSwitch) == text, "getSetting gave another text");
  check(pluginOutcome("NotStored") == Outcome::Off, "a name that is not stored reads on");
  return 0;
}
