// A verdict's places told in the plug-in's source for people, and offsets
// as a player's crash log gives them.
#include <gtest/gtest.h>

#include <map>

#include "faults/source_places.h"

namespace {

TEST(SourcePlaces, EachPlaceOfThePluginIsToldInItsSourceAndOthersStay) {
  const std::map<std::uint64_t, std::string> known = {{0x1014, "inner at plugin.cpp:52"}, {0x1040, "middle at plugin.cpp:55"}};
  int asked = 0;
  const auto placeOf = [&](std::uint64_t offset) {
    ++asked;
    const auto found = known.find(offset);
    return found == known.end() ? std::string() : found->second;
  };
  const struct {
    const char* message;
    const char* told;
  } cases[] = {
      {"the plug-in crashed at p.asi+0x1014 while running its script; backtrace: p.asi+0x1014 p.asi+0x1040 p.asi+0x9",
       "the plug-in crashed at p.asi+0x1014 (inner at plugin.cpp:52) while running its script; backtrace: "
       "p.asi+0x1014 (inner at plugin.cpp:52) p.asi+0x1040 (middle at plugin.cpp:55) p.asi+0x9"},
      // Another module's places, and names that only end like the plug-in's.
      {"thrown at p.asi+0x1040 (raised in kernelbase.dll+0x1014)",
       "thrown at p.asi+0x1040 (middle at plugin.cpp:55) (raised in kernelbase.dll+0x1014)"},
      {"at top.asi+0x1014 and (p.asi+0x1014)", "at top.asi+0x1014 and (p.asi+0x1014 (inner at plugin.cpp:52))"},
      {"no digits p.asi+0x, none at all", "no digits p.asi+0x, none at all"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(standin::withSourcePlaces(c.message, "p.asi", placeOf), c.told) << c.message;
  asked = 0;
  standin::withSourcePlaces("p.asi+0x1014 p.asi+0x1014 p.asi+0x1014", "p.asi", placeOf);
  EXPECT_EQ(asked, 1) << "each offset is looked up once";
}

TEST(SourcePlaces, OffsetsAreReadInEverySpellingOfACrashLog) {
  const struct {
    const char* text;
    bool valid;
    std::uint64_t offset;
  } cases[] = {
      {"0x1b40", true, 0x1b40},           {"1b40", true, 0x1b40},  {"0x0000000000001B40", true, 0x1b40},
      {"Plugin.asi+0x1b40", true, 0x1b40}, {"0x", false, 0},       {"", false, 0},
      {"12g4", false, 0},                  {"0x11112222333344445", false, 0},
  };
  for (const auto& c : cases) {
    std::uint64_t offset = 0;
    EXPECT_EQ(standin::parseOffset(c.text, offset), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(offset, c.offset) << c.text;
    }
  }
}

}  // namespace
