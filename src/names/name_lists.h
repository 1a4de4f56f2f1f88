#pragma once

#include <vector>

// The built-in personal names, in the order the names generator takes them.
// Built when the library is loaded and never changed afterwards.
extern const std::vector<const char*> SpanishMaleFirstNames;
extern const std::vector<const char*> SpanishSurnames;
extern const std::vector<const char*> MaleFirstNames;
extern const std::vector<const char*> FemaleFirstNames;
extern const std::vector<const char*> Surnames;
