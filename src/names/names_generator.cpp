#include "names/names_generator.h"

#include <string>
#include <vector>

#include "config/log_file.h"
#include "features/game_queries.h"
#include "names/name_lists.h"

std::map<GameHash, const char*> NameMap;

namespace {

void fileNames(const std::vector<const char*>& names) {
  for (const char* name : names) NameMap[hashOfText(name)] = name;
}

}  // namespace

void initNamesGenerator() {
  logLine("NamesGenerator: initializing");
  for (const auto* names :
       {&SpanishMaleFirstNames, &SpanishSurnames, &MaleFirstNames, &FemaleFirstNames, &Surnames})
    fileNames(*names);
  logLine("NamesGenerator: initialized. " + std::to_string(NameMap.size()) + " string.");
}
